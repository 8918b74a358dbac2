# The client: the scorer, the literal simulation and the library calls alone per pair over
# the pair corpus, and pairs per second through a real client process; the signature runner,
# checked by CTest, that pins every result of the corpus.
add_executable(client_bench ${CMAKE_CURRENT_SOURCE_DIR}/client_bench.cpp)
target_link_libraries(client_bench PRIVATE client_oracle benchmark::benchmark)
target_compile_definitions(client_bench PRIVATE QUARN_CLIENT_PATH="$<TARGET_FILE:quarnClient>")
add_dependencies(client_bench quarnClient)
set_target_properties(client_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(client_signature ${CMAKE_CURRENT_SOURCE_DIR}/client_signature.cpp)
target_link_libraries(client_signature PRIVATE client_oracle)
set_target_properties(client_signature PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
# A change of this signature is a change of the client's answers; say why in the commit.
set(CLIENT_SIGNATURE "^pairs: 5138 passes: 199 checksum: 223a19299eb26703\n$")
add_test(NAME client_signature COMMAND client_signature)
add_test(NAME client_signature_literal COMMAND client_signature --literal)
set_tests_properties(client_signature client_signature_literal PROPERTIES LABELS unit
  PASS_REGULAR_EXPRESSION "${CLIENT_SIGNATURE}")
