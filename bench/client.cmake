# The client: per-pair cost of the scorer, the literal simulation and the library calls alone
# over the pair corpus, and of the scorer and the literal simulation over the generator's own
# formulas. The scorer's library evaluations are wrapped so that the benchmark can
# record their values and replay them.
add_executable(client_bench ${CMAKE_CURRENT_SOURCE_DIR}/client_bench.cpp)
target_link_libraries(client_bench PRIVATE client_oracle generator_lib benchmark::benchmark)
target_link_options(client_bench PRIVATE -Wl,--wrap=evaluator_evaluate)
set_target_properties(client_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
