# The real agent on the headless desktop: tray icon, menu, pause and resume, links, quit and
# the login item. Run through scripts/desktop like the capture tests.
if(NOT TARGET tarnwhistle)
    return()
endif()

file(GLOB AGENT_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/*.h)
add_executable(e2e_agent ${AGENT_E2E_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/../desktop_driver.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/support/test_main.cpp)
target_include_directories(e2e_agent PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
# The test reads the menu back from the screen with Tesseract itself.
target_link_libraries(e2e_agent PRIVATE tarnwhistle_core Qt6::Gui Qt6::DBus GTest::gtest
                                        PkgConfig::TARNWHISTLE_LINUX_DEPS
                                        PkgConfig::TARNWHISTLE_OCR_DEPS)
target_compile_definitions(e2e_agent PRIVATE
    AGENT_EXECUTABLE="$<TARGET_FILE:tarnwhistle>"
    RECEIVER_SCRIPT="${PROJECT_SOURCE_DIR}/tools/receiver/tarnwhistle_receiver.py"
    HTTPS_RECEIVER_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/https_receiver.py"
    E2E_OUTPUT_DIR="${PROJECT_BINARY_DIR}/e2e")
add_dependencies(e2e_agent tarnwhistle)

add_test(NAME e2e_agent COMMAND ${PROJECT_SOURCE_DIR}/scripts/desktop $<TARGET_FILE:e2e_agent>)
set_tests_properties(e2e_agent PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)

