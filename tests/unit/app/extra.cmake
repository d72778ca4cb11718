# The shell's tests need widgets: the widget tests' QApplication entry point (offscreen) instead
# of the shared one.
target_link_libraries(${target} PRIVATE tarnwhistle_gui)
get_target_property(app_test_sources ${target} SOURCES)
list(FILTER app_test_sources EXCLUDE REGEX "support/test_main\\.cpp$")
set_property(TARGET ${target} PROPERTY SOURCES ${app_test_sources}
             ${CMAKE_CURRENT_SOURCE_DIR}/unit/ui/ui_test_main.cpp)
