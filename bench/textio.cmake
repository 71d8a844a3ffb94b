# bench_textio: internal writes of single-precision values under G13.6, F7.1
# and E12.5, beside std::to_chars of the same values and, when a Fortran
# compiler is found, beside the Fortran compiler's own run-time library doing
# the same internal writes (textio_kernel.f90, called through bind(C)).
add_executable(bench_textio ${CMAKE_CURRENT_LIST_DIR}/textio_bench.cpp)
target_link_libraries(bench_textio PRIVATE textio benchmark::benchmark)

include(CheckLanguage)
check_language(Fortran)
if(CMAKE_Fortran_COMPILER)
  enable_language(Fortran)
  add_library(textio_bench_kernel STATIC ${CMAKE_CURRENT_LIST_DIR}/textio_kernel.f90)
  target_link_libraries(bench_textio PRIVATE textio_bench_kernel)
  target_compile_definitions(bench_textio PRIVATE KIV_BENCH_FORTRAN=1)
endif()
