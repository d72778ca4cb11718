# The helpers that run inside a compositor and report to the agent:
#   share/tarnwhistle/kwin/tarnwhistle-focus.js        the KWin script the agent loads itself
#   share/gnome-shell/extensions/tarnwhistle@tarnwhistle.app/
#                                                      the GNOME Shell extension (GNOME 43/44,
#                                                      the format this package's Debian has)
#   share/tarnwhistle/gnome-shell-45/tarnwhistle@tarnwhistle.app/
#                                                      the same extension in the module format
#                                                      of GNOME 45 and later, for newer systems
# The KWin script is also copied into the build tree's data folder, where dataFilePath() finds
# it when the agent runs from the build.
set(TARNWHISTLE_KWIN_SCRIPT ${TARNWHISTLE_DATA_SOURCE_DIR}/kwin/tarnwhistle-focus.js)
configure_file(${TARNWHISTLE_KWIN_SCRIPT} ${TARNWHISTLE_BUILD_DATA_DIR}/kwin/tarnwhistle-focus.js
               COPYONLY)
install(FILES ${TARNWHISTLE_KWIN_SCRIPT} DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwhistle/kwin)
set(TARNWHISTLE_SHELL_EXTENSION_UUID tarnwhistle@tarnwhistle.app)
install(DIRECTORY ${TARNWHISTLE_DATA_SOURCE_DIR}/gnome-shell/43/${TARNWHISTLE_SHELL_EXTENSION_UUID}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions)
install(DIRECTORY ${TARNWHISTLE_DATA_SOURCE_DIR}/gnome-shell/45/${TARNWHISTLE_SHELL_EXTENSION_UUID}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwhistle/gnome-shell-45)
