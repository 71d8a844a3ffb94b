# The whole focus sequence against fbview, set against a plain write loop of
# the same bytes through the same kind of FIFO to the same reader.
if(TARGET kivdemo2 AND TARGET fbview)
  add_executable(bench_demo ${CMAKE_CURRENT_LIST_DIR}/demo_run.cpp)
  target_link_libraries(bench_demo PRIVATE benchmark::benchmark)
  target_compile_definitions(bench_demo PRIVATE KIV_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  add_dependencies(bench_demo kivdemo2 fbview)
endif()
