# Installation where a Linux desktop finds things, and a Debian package of it (cpack -G DEB).
#   bin/                                   tarnwhistle, tarnwhistle-tool, tarnwhistle-receiver
#   share/tarnwhistle/                     name list, word vectors, autostart/tarnwhistle.desktop
#   share/applications/tarnwhistle.desktop the launcher and the tarnwhistle: link handler
#   share/icons/hicolor/*/apps/            the application icon
# The data files sit beside bin/ under the same prefix, where dataFilePath() looks for them.
include(GNUInstallDirs)
set(TARNWHISTLE_DATA_SOURCE_DIR ${PROJECT_SOURCE_DIR}/data)

if(TARGET tarnwhistle)
    install(TARGETS tarnwhistle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS tarnwhistle-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The name list and the receiver have their rules beside their own code.
install(FILES ${TARNWHISTLE_BUILD_DATA_DIR}/word-vectors.bin
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwhistle OPTIONAL)

install(FILES ${TARNWHISTLE_DATA_SOURCE_DIR}/tarnwhistle.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# A template for administrators (the agent writes its own ~/.config/autostart entry, with its
# own path, when startAtLogin is set); never installed into /etc/xdg/autostart, which would
# start the agent for every user of the computer.
install(FILES ${TARNWHISTLE_DATA_SOURCE_DIR}/autostart/tarnwhistle.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwhistle/autostart)
# The PNG sizes are rendered from the SVG (librsvg2-bin), from data/icons/hicolor:
#   for s in 16 22 24 32 48 64 128 256; do rsvg-convert -w $s -h $s \
#       scalable/apps/tarnwhistle.svg -o ${s}x${s}/apps/tarnwhistle.png; done
install(DIRECTORY ${TARNWHISTLE_DATA_SOURCE_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
include(${CMAKE_CURRENT_LIST_DIR}/compositor_helpers.cmake)

# The Debian package. Depends name what the binaries load at run time: the packages of the
# libraries they link directly (the packaging test checks each one is listed) and what they
# use without linking: the accessibility bus, Tesseract's English data, OpenSSL (which Qt
# loads for https) and the trusted roots. Build packages (-dev) never belong here.
set(TARNWHISTLE_DEB_DEPENDS
    libc6 libgcc-s1 libstdc++6
    "libqt6core6 (>= 6.4)" "libqt6gui6 (>= 6.4)" "libqt6widgets6 (>= 6.4)"
    "libqt6network6 (>= 6.4)" "libqt6dbus6 (>= 6.4)"
    libsqlite3-0 libphonenumber8
    libxcb1 libxcb-xinput0 libxcb-xfixes0 libxcb-screensaver0 libxcb-composite0 libxcb-res0
    libwayland-client0
    libgomp1
    libtesseract5
    at-spi2-core tesseract-ocr-eng libssl3 ca-certificates)
list(JOIN TARNWHISTLE_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The receiver is a Python script; opening the dashboard goes through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, xdg-utils")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwhistle)
set(CPACK_PACKAGE_VENDOR Tarnwhistle)
set(CPACK_PACKAGE_CONTACT "Tarnwhistle developers <dev@tarnwhistle.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "privacy-first desktop work-signals agent")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnwhistle notices how a person works at the computer (the application and window in "
    "front, switches, typing and clicking counts, copy and paste, idle and lock) and keeps these "
    "moments as small private signals: times, counts, work categories and salted codes, never "
    "the text on screen, the keys pressed or the clipboard's contents. Signals are stored "
    "locally and, when a webhook is set, delivered in signed batches.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The menu, MIME and icon caches are refreshed by the triggers of desktop-file-utils and
# hicolor-icon-theme, so the package needs no maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)

# Builds the package into the build tree and reads it back with dpkg-deb.
add_test(NAME packaging_deb
         COMMAND ${PROJECT_SOURCE_DIR}/tests/integration/packaging/check_deb.sh
                 ${CMAKE_BINARY_DIR} $<TARGET_EXISTS:tarnwhistle>)
set_tests_properties(packaging_deb PROPERTIES TIMEOUT 600)
