# Figures taken on the headless desktop, run by hand inside scripts/desktop. They drive it with
# the end-to-end tests' desktop driver.
set(DESKTOP_DRIVER_DIR ${PROJECT_SOURCE_DIR}/tests/e2e)

# What capture costs: one window poll, one text sample, and the loop's CPU and memory over
# scripted use (TARNWHISTLE_SOAK_SECONDS, default 60):
#   scripts/desktop build/bench/bench_capture_measure
if(TARGET tarnwhistle_platform_linux)
    add_executable(bench_capture_measure ${CMAKE_CURRENT_LIST_DIR}/capture_measure.cpp
                                         ${DESKTOP_DRIVER_DIR}/desktop_driver.cpp)
    target_include_directories(bench_capture_measure PRIVATE ${DESKTOP_DRIVER_DIR})
    target_link_libraries(bench_capture_measure PRIVATE tarnwhistle_platform_linux
                          tarnwhistle_core benchmark::benchmark PkgConfig::TARNWHISTLE_LINUX_DEPS)
endif()

# What the whole agent costs over a scripted session (TARNWHISTLE_SESSION_SECONDS, default
# 1800):
#   scripts/desktop build/bench/bench_agent_measure
if(TARGET tarnwhistle AND TARGET tarnwhistle_platform_linux)
    add_executable(bench_agent_measure ${CMAKE_CURRENT_LIST_DIR}/agent_measure.cpp
                                       ${DESKTOP_DRIVER_DIR}/desktop_driver.cpp)
    target_include_directories(bench_agent_measure PRIVATE ${DESKTOP_DRIVER_DIR})
    target_link_libraries(bench_agent_measure PRIVATE tarnwhistle_core Qt6::Gui
                          benchmark::benchmark PkgConfig::TARNWHISTLE_LINUX_DEPS)
    target_compile_definitions(bench_agent_measure PRIVATE
        AGENT_EXECUTABLE="$<TARGET_FILE:tarnwhistle>"
        RECEIVER_SCRIPT="${PROJECT_SOURCE_DIR}/tools/receiver/tarnwhistle_receiver.py")
    add_dependencies(bench_agent_measure tarnwhistle)
endif()
