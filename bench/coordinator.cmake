# The coordinator: pairs per second of its dispatch loop when the clients answer at once.
add_executable(coordinator_bench ${CMAKE_CURRENT_SOURCE_DIR}/coordinator_bench.cpp)
target_link_libraries(coordinator_bench PRIVATE coordinator_lib benchmark::benchmark)
set_target_properties(coordinator_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
