# Installs the build into PREFIX, then checks what a desktop relies on.
# cmake -DBUILD=... -DPREFIX=... -DDESKTOP_FILE_VALIDATE=... -DAPPSTREAMCLI=... -DID=... -P this
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
    RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f bin/quillon bin/quillon-ftp share/quillon/help/AideFTP.html
        share/applications/${ID}.desktop share/metainfo/${ID}.metainfo.xml
        share/icons/hicolor/64x64/apps/${ID}.png share/icons/hicolor/48x48/apps/${ID}.png
        share/icons/hicolor/128x128/apps/${ID}.png share/icons/hicolor/256x256/apps/${ID}.png
        share/icons/hicolor/scalable/apps/${ID}.svg share/quillon/up.ico share/quillon/dn.ico
        share/man/man1/quillon.1.gz share/man/man1/quillon-ftp.1.gz
        share/doc/quillon/copyright share/doc/quillon/changelog.gz)
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
    message(FATAL_ERROR "desktop-file-validate and appstreamcli are needed (scripts/deps.sh)")
endif()
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${ID}.desktop
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate refused the launcher")
endif()
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${PREFIX}/share/metainfo/${ID}.metainfo.xml
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli refused the metainfo")
endif()
file(STRINGS ${PREFIX}/share/applications/${ID}.desktop exec REGEX "^Exec=")
if(NOT exec MATCHES "^Exec=quillon( |$)")
    message(FATAL_ERROR "the launcher does not start quillon: ${exec}")
endif()
# What software centres show: one licence, the one of the copyright file;
# who makes it, where it lives, what it looks like.
file(READ ${PREFIX}/share/metainfo/${ID}.metainfo.xml metainfo)
file(READ ${PREFIX}/share/doc/quillon/copyright copyright)
foreach(motif "<project_license>GPL-3.0-or-later</project_license>" "<developer_name>[^<]+</developer_name>"
        "<url type=\"homepage\">https://[^<]+</url>" "<screenshot type=\"default\">"
        "<image[^>]*>https://[^<]+[.]png</image>")
    if(NOT metainfo MATCHES "${motif}")
        message(FATAL_ERROR "the metainfo lacks ${motif}")
    endif()
endforeach()
if(NOT copyright MATCHES "\nLicense: GPL-3.0-or-later\n")
    message(FATAL_ERROR "the copyright file does not state GPL-3.0-or-later")
endif()
