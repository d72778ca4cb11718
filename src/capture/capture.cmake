# The capture loop and the readers' logic: platform-neutral, talks to the desktop only through
# DesktopBackend. Links the engine it drives.
file(GLOB CAPTURE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/*.h)
add_library(tarnwhistle_capture STATIC ${CAPTURE_SOURCES})
target_include_directories(tarnwhistle_capture PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnwhistle_capture PUBLIC tarnwhistle_core Qt6::Core)
