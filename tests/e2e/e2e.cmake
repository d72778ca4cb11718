# End-to-end tests of capture on a real desktop. They run inside the private headless desktop
# of scripts/desktop (Xvfb, openbox, session and stand-in system buses, accessibility bus,
# tray), which CTest starts for them.
if(NOT TARGET tarnwhistle_platform_linux)
    return()
endif()

add_executable(e2e_qt_window ${CMAKE_CURRENT_LIST_DIR}/helpers/qt_window.cpp)
target_link_libraries(e2e_qt_window PRIVATE Qt6::Widgets)
add_executable(e2e_scripted_accessible_app ${CMAKE_CURRENT_LIST_DIR}/helpers/scripted_accessible_app.cpp)
target_link_libraries(e2e_scripted_accessible_app PRIVATE Qt6::DBus
                                                          PkgConfig::TARNWHISTLE_LINUX_DEPS)

file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/*.h)
add_executable(e2e_capture ${E2E_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/support/test_main.cpp)
target_include_directories(e2e_capture PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/support
                                               ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(e2e_capture PRIVATE tarnwhistle_platform_linux tarnwhistle_core
                                          Qt6::DBus Qt6::Gui GTest::gtest GTest::gmock
                                          PkgConfig::TARNWHISTLE_LINUX_DEPS)
target_compile_definitions(e2e_capture PRIVATE
    E2E_QT_WINDOW="$<TARGET_FILE:e2e_qt_window>"
    E2E_ACCESSIBLE_APP="$<TARGET_FILE:e2e_scripted_accessible_app>"
    E2E_OUTPUT_DIR="${PROJECT_BINARY_DIR}/e2e")
add_dependencies(e2e_capture e2e_qt_window e2e_scripted_accessible_app)

include(${CMAKE_CURRENT_LIST_DIR}/agent/agent.cmake)

add_test(NAME e2e_capture
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/desktop $<TARGET_FILE:e2e_capture>)
set_tests_properties(e2e_capture PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE
                     ENVIRONMENT "QT_QPA_PLATFORM=xcb")
include(${CMAKE_CURRENT_LIST_DIR}/canary/canary.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/ui/ui_e2e.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/wayland/wayland_e2e.cmake)
