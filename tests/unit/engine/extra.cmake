target_link_libraries(${target} PRIVATE tarnwhistle_replay)
