# bench_display: kivload into a FIFO drained by a reader thread, set against a
# plain write loop of the same bytes into the same FIFO.
if(TARGET display)
  find_package(Threads REQUIRED)
  add_executable(bench_display ${CMAKE_CURRENT_LIST_DIR}/display_load.cpp)
  target_link_libraries(bench_display PRIVATE display benchmark::benchmark Threads::Threads)
endif()
