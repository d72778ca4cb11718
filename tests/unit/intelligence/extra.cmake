# The classify subcommand is tested through the built tool.
add_dependencies(${target} tarnwhistle-tool)
# The accuracy test maps raw Linux application ids as the capture layer does.
target_link_libraries(${target} PRIVATE tarnwhistle_capture)
