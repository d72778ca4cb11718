# End-to-end tests of capture on real Wayland compositors, each run headless by
# scripts/wayland-desktop (skipped, exit 77, when the compositor is not installed).
if(NOT TARGET tarnwhistle_platform_wayland)
    return()
endif()

add_executable(e2e_wayland_wlroots ${CMAKE_CURRENT_LIST_DIR}/wlroots_e2e_test.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/wayland_capture_fixture.h
                                   ${CMAKE_CURRENT_LIST_DIR}/../recording_capture.h
                                   ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp
                                   ${CMAKE_CURRENT_SOURCE_DIR}/support/test_main.cpp)
target_include_directories(e2e_wayland_wlroots PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(e2e_wayland_wlroots PRIVATE tarnwhistle_platform_wayland tarnwhistle_core
                                                  GTest::gtest PkgConfig::TARNWHISTLE_LINUX_DEPS)
target_compile_definitions(e2e_wayland_wlroots PRIVATE
    E2E_QT_WINDOW="$<TARGET_FILE:e2e_qt_window>")
add_dependencies(e2e_wayland_wlroots e2e_qt_window)
add_test(NAME e2e_wayland_sway
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/wayland-desktop sway --
                 $<TARGET_FILE:e2e_wayland_wlroots>)
set_tests_properties(e2e_wayland_sway PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
include(${CMAKE_CURRENT_LIST_DIR}/compositor_e2e.cmake)
