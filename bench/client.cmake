# The client: per-pair cost of the scorer, of the literal simulation and of the library-based
# scorer over the generator's own formulas.
add_executable(client_bench ${CMAKE_CURRENT_SOURCE_DIR}/client_bench.cpp)
target_link_libraries(client_bench PRIVATE client_oracle generator_lib benchmark::benchmark)
set_target_properties(client_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
