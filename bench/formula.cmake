# The formula compiler and the client's field: their proof over a catalogue against the
# expression library.
add_executable(catalogue_proof ${CMAKE_CURRENT_SOURCE_DIR}/catalogue_proof.cpp)
target_link_libraries(catalogue_proof PRIVATE formula_oracle client_oracle)
set_target_properties(catalogue_proof PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
