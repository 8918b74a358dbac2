# The generator: formulas per second from a start, drawn fast and literally, and the whole
# program's time for a first run. The signature of the sequence is a unit test
# (generator/src/zindel/cycle_test.cpp).
add_executable(generator_bench ${CMAKE_CURRENT_SOURCE_DIR}/generator_bench.cpp)
target_link_libraries(generator_bench PRIVATE generator_lib benchmark::benchmark)
target_compile_definitions(generator_bench PRIVATE ZINDEL_PATH="$<TARGET_FILE:zindel>")
add_dependencies(generator_bench zindel)
set_target_properties(generator_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
