# Installing Quillon like any desktop application: the two programs, the help
# beside them, the icons, a freedesktop launcher and an AppStream metainfo
# file; `cpack -G DEB` in build/ turns the same rules into a .deb.
include(GNUInstallDirs)

set(QUILLON_ID io.quillon.Quillon)

install(TARGETS quillon quillon-ftp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Looked up by the program at <prefix>/share/quillon/help/AideFTP.html.
install(FILES resources/help/AideFTP.html DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon/help)
install(FILES resources/icons/quillon.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME ${QUILLON_ID}.png)
install(FILES resources/icons/quillon.png DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon)
# The recorded-transfer launchers' pictures.
install(FILES resources/automation/up.ico resources/automation/dn.ico
    DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon)
install(FILES resources/desktop/${QUILLON_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/desktop/${QUILLON_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Quillon <quillon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Client FTP graphique")
set(CPACK_PACKAGE_DESCRIPTION
    "Client FTP de bureau : le disque local à gauche, un site FTP à droite, un journal coloré en dessous.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quillon)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the programs link are found by dpkg-shlibdeps; the Qt plugins
# they load at run time (display, SVG pictures) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)

# What a desktop checks: the installed tree holds the help where the program
# looks for it, and the launcher and the metainfo pass their validators.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
add_test(NAME installation
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/installation-test
            -DDESKTOP_FILE_VALIDATE=${DESKTOP_FILE_VALIDATE} -DAPPSTREAMCLI=${APPSTREAMCLI}
            -DID=${QUILLON_ID} -P ${CMAKE_SOURCE_DIR}/scripts/verifie_installation.cmake)
