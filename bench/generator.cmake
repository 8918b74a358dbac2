# The generator: benchmarks of the formula sequence and the whole program, and the
# signature runner, checked by CTest, that pins the sequence of one run's 1.4 million
# formulas.
add_executable(generator_bench ${CMAKE_CURRENT_SOURCE_DIR}/generator_bench.cpp)
target_link_libraries(generator_bench PRIVATE generator_lib benchmark::benchmark)
target_compile_definitions(generator_bench PRIVATE ZINDEL_PATH="$<TARGET_FILE:zindel>")
add_dependencies(generator_bench zindel)
set_target_properties(generator_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(generator_signature ${CMAKE_CURRENT_SOURCE_DIR}/generator_signature.cpp)
target_link_libraries(generator_signature PRIVATE generator_lib)
set_target_properties(generator_signature PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
# A change of this signature is a change of the formulas written; say why in the commit.
add_test(NAME generator_signature COMMAND generator_signature)
set_tests_properties(generator_signature PROPERTIES LABELS unit PASS_REGULAR_EXPRESSION
  "^formulas: 1400000 checksum: 979f973ee7102bf5 last: asin\\(log10e/m\\+v\\)\\+V\\+M\n$")
