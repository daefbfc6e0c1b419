# Read by cpack before each generator. A .deb whose library dependencies were
# not computed installs on a clean machine and then fails to start: without
# `file` CPack stops on its own, without dpkg-shlibdeps it would quietly go on
# with the hand-written list only. Both are installed by scripts/deps.sh.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(PAQUET_FILE file)
    find_program(PAQUET_SHLIBDEPS dpkg-shlibdeps)
    if(NOT PAQUET_FILE OR NOT PAQUET_SHLIBDEPS)
        message(FATAL_ERROR "the package needs `file` and dpkg-shlibdeps to compute its "
                            "dependencies: run scripts/deps.sh (packages file, dpkg-dev)")
    endif()
endif()
