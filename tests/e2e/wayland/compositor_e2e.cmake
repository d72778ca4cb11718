# KWin and GNOME Shell, each run headless by scripts/wayland-desktop (skipped, exit 77, when
# not installed). One program; each compositor runs its own test of it. The GNOME run also
# installs the test-only driver extension that brings windows to the front.
add_executable(e2e_wayland_compositors ${CMAKE_CURRENT_LIST_DIR}/compositor_e2e_test.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/wayland_capture_fixture.h
                                       ${CMAKE_CURRENT_LIST_DIR}/../recording_capture.h
                                       ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp
                                       ${CMAKE_CURRENT_SOURCE_DIR}/support/test_main.cpp)
target_include_directories(e2e_wayland_compositors PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(e2e_wayland_compositors PRIVATE tarnwhistle_platform_wayland
                                                      tarnwhistle_core Qt6::DBus GTest::gtest
                                                      PkgConfig::TARNWHISTLE_LINUX_DEPS)
target_compile_definitions(e2e_wayland_compositors PRIVATE
    E2E_QT_WINDOW="$<TARGET_FILE:e2e_qt_window>" TARNWHISTLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(e2e_wayland_compositors e2e_qt_window)
add_test(NAME e2e_wayland_kwin
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/wayland-desktop kwin --
                 $<TARGET_FILE:e2e_wayland_compositors> --gtest_filter=*KWin*)
add_test(NAME e2e_wayland_gnome
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/wayland-desktop gnome --
                 $<TARGET_FILE:e2e_wayland_compositors> --gtest_filter=*Gnome*)
set_tests_properties(e2e_wayland_kwin e2e_wayland_gnome PROPERTIES
    TIMEOUT 300 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
set_tests_properties(e2e_wayland_gnome PROPERTIES ENVIRONMENT
    "TARNWHISTLE_SHELL_EXTENSIONS=${CMAKE_CURRENT_LIST_DIR}/gnome_test_driver@tarnwhistle.app")
