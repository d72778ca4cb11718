# The Linux X11 desktop backend: xcb (XInput2, XFixes, MIT-SCREEN-SAVER, Composite, X-Resource), the
# accessibility bus and D-Bus watchers over QtDBus, and text recognition in a module of its own.
pkg_check_modules(TARNWHISTLE_LINUX_DEPS REQUIRED IMPORTED_TARGET GLOBAL
    xcb xcb-xinput xcb-xfixes xcb-screensaver xcb-composite xcb-res)
file(GLOB PLATFORM_LINUX_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/*.h)
add_library(tarnwhistle_platform_linux STATIC ${PLATFORM_LINUX_SOURCES})
target_include_directories(tarnwhistle_platform_linux PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnwhistle_platform_linux
    PUBLIC tarnwhistle_capture Qt6::Core Qt6::DBus Qt6::Gui
    PRIVATE PkgConfig::TARNWHISTLE_LINUX_DEPS)

# Tesseract and OpenMP live in a module the agent loads on its first window picture, so they
# cost nothing while the screenshot reader is off. Installed under lib/tarnwhistle/.
find_package(OpenMP REQUIRED)
pkg_check_modules(TARNWHISTLE_OCR_DEPS REQUIRED IMPORTED_TARGET GLOBAL tesseract)
add_library(tarnwhistle_ocr MODULE ${CMAKE_CURRENT_LIST_DIR}/ocr/recognition_module.cpp)
set_target_properties(tarnwhistle_ocr PROPERTIES CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/tarnwhistle)
target_link_libraries(tarnwhistle_ocr PRIVATE PkgConfig::TARNWHISTLE_OCR_DEPS OpenMP::OpenMP_CXX)
add_dependencies(tarnwhistle_platform_linux tarnwhistle_ocr)
include(GNUInstallDirs)
target_compile_definitions(tarnwhistle_platform_linux PRIVATE
    TARNWHISTLE_OCR_MODULE_FROM_BIN="../${CMAKE_INSTALL_LIBDIR}/tarnwhistle/$<TARGET_FILE_NAME:tarnwhistle_ocr>"
    TARNWHISTLE_OCR_MODULE_IN_BUILD="$<TARGET_FILE:tarnwhistle_ocr>")
install(TARGETS tarnwhistle_ocr LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/tarnwhistle)
