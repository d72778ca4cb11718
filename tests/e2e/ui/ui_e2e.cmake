# The Settings window on the headless desktop: a picture of every pane under build/e2e/, its
# accessibility tree (scripts/desktop switches the bridge on) and a keyboard-only walk, over the
# widget unit tests' fixture. The agent's windows opened from its tray menu are part of e2e_agent.
if(NOT TARGET tarnwhistle_gui)
    return()
endif()
set(UI_UNIT_DIR ${CMAKE_CURRENT_LIST_DIR}/../../unit/ui)
add_executable(e2e_ui ${CMAKE_CURRENT_LIST_DIR}/windows_e2e_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp
                      ${UI_UNIT_DIR}/ui_test_main.cpp)
# The fixture comes with the unit tests' helpers, which may use the shared ones under support/.
target_include_directories(e2e_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/.. ${UI_UNIT_DIR}
                                          ${CMAKE_CURRENT_LIST_DIR}/../../support)
target_link_libraries(e2e_ui PRIVATE tarnwhistle_gui Qt6::Test GTest::gtest)
target_compile_definitions(e2e_ui PRIVATE E2E_OUTPUT_DIR="${PROJECT_BINARY_DIR}/e2e")
add_test(NAME e2e_ui COMMAND ${PROJECT_SOURCE_DIR}/scripts/desktop $<TARGET_FILE:e2e_ui>
                                -platform xcb)
set_tests_properties(e2e_ui PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE
                     ENVIRONMENT "QT_QPA_PLATFORM=xcb")
