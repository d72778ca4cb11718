# The Linux X11 desktop backend: xcb (XInput2, XFixes, MIT-SCREEN-SAVER, Composite, X-Resource), the
# accessibility bus and D-Bus watchers over QtDBus, and Tesseract.
find_package(OpenMP REQUIRED)
pkg_check_modules(TARNWHISTLE_LINUX_DEPS REQUIRED IMPORTED_TARGET GLOBAL
    xcb xcb-xinput xcb-xfixes xcb-screensaver xcb-composite xcb-res tesseract)
file(GLOB PLATFORM_LINUX_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/*.h)
add_library(tarnwhistle_platform_linux STATIC ${PLATFORM_LINUX_SOURCES})
target_include_directories(tarnwhistle_platform_linux PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnwhistle_platform_linux
    PUBLIC tarnwhistle_capture Qt6::Core Qt6::DBus Qt6::Gui
    PRIVATE PkgConfig::TARNWHISTLE_LINUX_DEPS OpenMP::OpenMP_CXX)
