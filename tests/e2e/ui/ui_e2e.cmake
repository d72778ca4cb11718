# The agent's windows on the headless desktop: pictures of every window and Settings pane under
# build/e2e/, a keyboard-only walk through Settings, and the accessibility tree read back over
# the accessibility bus.
if(NOT TARGET tarnwhistle_gui)
    return()
endif()
add_executable(e2e_ui ${CMAKE_CURRENT_LIST_DIR}/windows_e2e_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/ui_host.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/atspi_tree.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/e2e_ui_main.cpp)
target_include_directories(e2e_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(e2e_ui PRIVATE tarnwhistle_gui Qt6::DBus Qt6::Test GTest::gtest)
target_compile_definitions(e2e_ui PRIVATE E2E_OUTPUT_DIR="${PROJECT_BINARY_DIR}/e2e")
add_test(NAME e2e_ui COMMAND ${PROJECT_SOURCE_DIR}/scripts/desktop $<TARGET_FILE:e2e_ui>)
set_tests_properties(e2e_ui PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE
                     ENVIRONMENT "QT_QPA_PLATFORM=xcb")

# The same windows in the real agent process, opened from its tray menu.
if(TARGET tarnwhistle AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/../agent/agent_fixture.cpp)
    add_executable(e2e_ui_agent ${CMAKE_CURRENT_LIST_DIR}/agent_windows_e2e_test.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/../agent/agent_fixture.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp
                                ${CMAKE_CURRENT_SOURCE_DIR}/support/test_main.cpp)
    target_include_directories(e2e_ui_agent PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..
                                                    ${CMAKE_CURRENT_LIST_DIR}/../agent)
    target_link_libraries(e2e_ui_agent PRIVATE tarnwhistle_core Qt6::Gui GTest::gtest
                                               PkgConfig::TARNWHISTLE_LINUX_DEPS
                                               PkgConfig::TARNWHISTLE_OCR_DEPS)
    target_compile_definitions(e2e_ui_agent PRIVATE
        AGENT_EXECUTABLE="$<TARGET_FILE:tarnwhistle>"
        RECEIVER_SCRIPT="${PROJECT_SOURCE_DIR}/tools/receiver/tarnwhistle_receiver.py"
        E2E_OUTPUT_DIR="${PROJECT_BINARY_DIR}/e2e")
    add_dependencies(e2e_ui_agent tarnwhistle)
    add_test(NAME e2e_ui_agent
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/desktop $<TARGET_FILE:e2e_ui_agent>)
    set_tests_properties(e2e_ui_agent PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
