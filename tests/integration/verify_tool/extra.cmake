# The tests run the built tool.
add_dependencies(${target} tarnwhistle-tool)
