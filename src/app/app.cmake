# The agent: the application shell (src/app) and its windows (src/ui) form one widgets library,
# so the menu, the status model and the windows can use each other; the executable adds only
# the process entry. Nothing in the core links this.
file(GLOB GUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp ${CMAKE_CURRENT_LIST_DIR}/*.h
    ${CMAKE_CURRENT_LIST_DIR}/../ui/*.cpp ${CMAKE_CURRENT_LIST_DIR}/../ui/*.h)
list(FILTER GUI_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")
if(NOT GUI_SOURCES)
    return()
endif()
add_library(tarnwhistle_gui STATIC ${GUI_SOURCES})
target_include_directories(tarnwhistle_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnwhistle_gui PUBLIC tarnwhistle_core tarnwhistle_capture
    Qt6::Widgets Qt6::DBus Qt6::Network)
if(TARGET tarnwhistle_platform_linux)
    target_link_libraries(tarnwhistle_gui PUBLIC tarnwhistle_platform_linux)
endif()
if(TARGET tarnwhistle_platform_wayland)
    target_link_libraries(tarnwhistle_gui PUBLIC tarnwhistle_platform_wayland)
endif()

if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
    add_executable(tarnwhistle ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
    target_link_libraries(tarnwhistle PRIVATE tarnwhistle_gui)
endif()
