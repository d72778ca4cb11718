# The canary: a unique string shown, typed, copied and used in names during a real session on
# the headless desktop must not reach the store, a delivery or the agent's output, and nothing
# of a signal may stay on disk after "Delete all local data". The test runs the agent as a
# child process of its own executable (to examine that process's output).
add_executable(e2e_canary ${CMAKE_CURRENT_LIST_DIR}/canary_e2e_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/canary_agent.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp)
target_include_directories(e2e_canary PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..
                                              ${CMAKE_CURRENT_LIST_DIR}/../../support)
target_link_libraries(e2e_canary PRIVATE tarnwhistle_platform_linux tarnwhistle_core Qt6::DBus
                                         Qt6::Gui GTest::gtest PkgConfig::TARNWHISTLE_LINUX_DEPS)
target_compile_definitions(e2e_canary PRIVATE
    E2E_QT_WINDOW="$<TARGET_FILE:e2e_qt_window>"
    TARNWHISTLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(e2e_canary e2e_qt_window)
add_test(NAME e2e_canary
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/desktop $<TARGET_FILE:e2e_canary>)
set_tests_properties(e2e_canary PROPERTIES TIMEOUT 400 RUN_SERIAL TRUE
                     ENVIRONMENT "QT_QPA_PLATFORM=xcb")
