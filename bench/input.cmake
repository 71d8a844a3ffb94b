# bench_input: the field decoder, the storing stage and the keyword buffer on
# typical and long answers.
add_executable(bench_input ${CMAKE_CURRENT_LIST_DIR}/input_answers.cpp)
target_link_libraries(bench_input PRIVATE input benchmark::benchmark)
