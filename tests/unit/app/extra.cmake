# The shell's tests need widgets: a QApplication (offscreen) instead of the shared entry point.
target_link_libraries(${target} PRIVATE tarnwhistle_gui)
get_target_property(app_test_sources ${target} SOURCES)
list(FILTER app_test_sources EXCLUDE REGEX "support/test_main\\.cpp$")
set_property(TARGET ${target} PROPERTY SOURCES ${app_test_sources})
