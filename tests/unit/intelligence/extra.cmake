# The classify subcommand is tested through the built tool.
add_dependencies(${target} tarnwhistle-tool)
