# The generator: formulas per second from a start, drawn fast and literally. The signature of
# the sequence is a unit test (generator/cycle_test.cpp).
add_executable(generator_bench ${CMAKE_CURRENT_SOURCE_DIR}/generator_bench.cpp)
target_link_libraries(generator_bench PRIVATE generator_lib benchmark::benchmark)
set_target_properties(generator_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
