# Widget tests need a QApplication rather than the shared QCoreApplication entry point.
target_link_libraries(${target} PRIVATE tarnwhistle_gui)
get_target_property(ui_test_sources ${target} SOURCES)
list(FILTER ui_test_sources EXCLUDE REGEX "support/test_main\\.cpp$")
set_property(TARGET ${target} PROPERTY SOURCES ${ui_test_sources})
