# Installing Quillon like any desktop application: the two programs, the help
# beside them, the icons, a freedesktop launcher, an AppStream metainfo file,
# the manual pages and the Debian documentation; `cpack -G DEB` in build/
# turns the same rules into a .deb.
include(GNUInstallDirs)

# Installing (and cpack) takes the programs as they are built instead of
# building every test and benchmark first: the demo builds only the two
# programs, and the package command right after it must not take minutes.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(QUILLON_ID io.quillon.Quillon)
set(QUILLON_MAINTENEUR "Quillon developers <quillon-dev@quillon.io>")
set(QUILLON_ACCUEIL "https://quillon.io/")

install(TARGETS quillon quillon-ftp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Looked up by the program at <prefix>/share/quillon/help/AideFTP.html.
install(FILES resources/help/AideFTP.html DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon/help)
set(icones ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES resources/icons/hicolor/quillon.svg
    DESTINATION ${icones}/scalable/apps RENAME ${QUILLON_ID}.svg)
install(FILES resources/icons/quillon.png DESTINATION ${icones}/64x64/apps RENAME ${QUILLON_ID}.png)
foreach(taille 48 128 256)
    install(FILES resources/icons/hicolor/quillon-${taille}.png
        DESTINATION ${icones}/${taille}x${taille}/apps RENAME ${QUILLON_ID}.png)
endforeach()
install(FILES resources/icons/quillon.png DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon)
# The recorded-transfer launchers' pictures.
install(FILES resources/automation/up.ico resources/automation/dn.ico
    DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon)
install(FILES resources/desktop/${QUILLON_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/desktop/${QUILLON_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog are shipped compressed the way Debian wants
# them (gzip -9, no name or time stamp inside), made when CMake configures so
# that an install never depends on which targets were built.
set(compresses ${CMAKE_BINARY_DIR}/compresses)
file(MAKE_DIRECTORY ${compresses})
function(quillon_gzip source cible)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${cible} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "gzip ${source} failed")
    endif()
endfunction()
foreach(page quillon quillon-ftp)
    quillon_gzip(${CMAKE_SOURCE_DIR}/resources/man/${page}.1 ${compresses}/${page}.1.gz)
    install(FILES ${compresses}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
quillon_gzip(${CMAKE_SOURCE_DIR}/resources/debian/changelog ${compresses}/changelog.gz)
install(FILES ${compresses}/changelog.gz resources/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillon)

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon developers")
set(CPACK_PACKAGE_CONTACT ${QUILLON_MAINTENEUR})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLON_MAINTENEUR})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLON_ACCUEIL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client FTP de bureau")
# Debian wraps the long description itself: lines of at most 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Transfère des fichiers entre cet ordinateur et un site FTP ou FTPS :\nle disque local à gauche, le site à droite, un journal coloré en dessous.\nComprend aussi quillon-ftp, un accès au site en ligne de commande.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quillon)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps (a package
# built without them is refused: see scripts/paquet_debian.cmake); the Qt
# plugins they load at run time (display, SVG pictures) are named here, with
# xdg-open, through which the help, the folders and the links open outside
# the desktops Qt talks to directly.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, xdg-utils")
# Without a desktop session xdg-open picks the application by MIME type with
# mimeopen, then needs a browser for the HTML help; the captions are measured
# with DejaVu Sans Condensed. All useful, none needed to start.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libfile-mimeinfo-perl, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "www-browser, gnome-keyring")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/scripts/paquet_debian.cmake)
include(CPack)

# What a desktop checks: the installed tree holds the help where the program
# looks for it, and the launcher and the metainfo pass their validators.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
add_test(NAME installation
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/installation-test
            -DDESKTOP_FILE_VALIDATE=${DESKTOP_FILE_VALIDATE} -DAPPSTREAMCLI=${APPSTREAMCLI}
            -DID=${QUILLON_ID} -P ${CMAKE_SOURCE_DIR}/scripts/verifie_installation.cmake)
# The .deb as a clean machine gets it: every library the programs load comes
# with a declared dependency, and lintian finds no error.
add_test(NAME paquet
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DSORTIE=${CMAKE_BINARY_DIR}/paquet-test -DCPACK=${CMAKE_CPACK_COMMAND}
            -DID=${QUILLON_ID} -P ${CMAKE_SOURCE_DIR}/scripts/verifie_paquet.cmake)
