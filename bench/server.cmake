# bench_server: cost of the live view per load for the 128 x 128 frame buffer.
add_executable(bench_server ${CMAKE_CURRENT_LIST_DIR}/server_view.cpp)
target_link_libraries(bench_server PRIVATE server benchmark::benchmark)
