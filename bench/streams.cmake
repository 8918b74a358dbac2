# The V formula stream: formulas per second over a generator-shaped file.
add_executable(streams_bench ${CMAKE_CURRENT_SOURCE_DIR}/streams_bench.cpp)
target_link_libraries(streams_bench PRIVATE coordinator_lib benchmark::benchmark)
set_target_properties(streams_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
