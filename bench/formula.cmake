# The formula compiler: its proof over a catalogue against the expression library.
add_executable(formula_proof ${CMAKE_CURRENT_SOURCE_DIR}/formula_proof.cpp)
target_link_libraries(formula_proof PRIVATE formula PkgConfig::MATHEVAL)
set_target_properties(formula_proof PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
