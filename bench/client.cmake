# The client: per-pair cost of the scorer and of the literal simulation over the generator's
# own formulas.
add_executable(client_bench ${CMAKE_CURRENT_SOURCE_DIR}/client_bench.cpp)
target_link_libraries(client_bench PRIVATE client_oracle generator_lib benchmark::benchmark)
set_target_properties(client_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# The client's field against the library-based scorer over a catalogue, step by step.
add_executable(field_proof ${CMAKE_CURRENT_SOURCE_DIR}/field_proof.cpp)
target_link_libraries(field_proof PRIVATE client_oracle)
set_target_properties(field_proof PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
