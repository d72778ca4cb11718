# The replay benchmark drives the engine through the tools' replay library.
target_link_libraries(bench_engine_replay PRIVATE tarnwhistle_replay)
