# quillon_interdit_liens(<target> <module>...): stops the configuration when
# <target> reaches one of the Qt modules named (Widgets, Gui...) through its
# link libraries, directly or through any other target. The walk runs once
# every CMakeLists.txt has been read, so a link added later, anywhere, is seen.
function(quillon_interdit_liens cible)
    cmake_language(EVAL CODE "
        cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]]
            CALL _quillon_verifie_liens [[${cible}]] ${ARGN})")
endfunction()

# The names a link item may carry: targets named inside generator expressions
# ($<LINK_ONLY:Qt6::Gui>, $<$<CONFIG:Debug>:...>) are counted too, whatever
# the condition, so a forbidden module can't hide behind one.
function(_quillon_noms_lien element sortie)
    if(element MATCHES "\\$<")
        string(REGEX MATCHALL "[A-Za-z0-9_.+/-]+(::[A-Za-z0-9_.+-]+)?" noms "${element}")
    else()
        set(noms "${element}")
    endif()
    set(${sortie} ${noms} PARENT_SCOPE)
endfunction()

function(_quillon_verifie_liens cible)
    set(modules ${ARGN})
    list(JOIN modules "|" alternatives)
    list(JOIN modules " or " noms_modules)
    # Qt6::Widgets, Qt::Widgets, Qt6::GuiPrivate, Qt6Widgets, libQt6Widgets.so...
    set(motif "(^|[^A-Za-z0-9])(Qt6?::|(lib)?Qt6)(${alternatives})(Private)?([^A-Za-z0-9]|$)")
    set(a_voir ${cible})
    set(vus)
    string(MAKE_C_IDENTIFIER "${cible}" id)
    set(chemin_${id} ${cible})
    while(a_voir)
        list(POP_FRONT a_voir courant)
        if(courant IN_LIST vus)
            continue()
        endif()
        list(APPEND vus ${courant})
        string(MAKE_C_IDENTIFIER "${courant}" id_courant)
        if(courant MATCHES "${motif}")
            list(JOIN chemin_${id_courant} " -> " chemin)
            message(FATAL_ERROR
                "${cible} must not link Qt ${noms_modules}, and it does: ${chemin}")
        endif()
        if(NOT TARGET ${courant})
            continue()
        endif()
        get_target_property(alias ${courant} ALIASED_TARGET)
        if(alias)
            set(liens ${alias})
        else()
            set(liens)
            foreach(propriete INTERFACE_LINK_LIBRARIES INTERFACE_LINK_LIBRARIES_DIRECT
                              LINK_LIBRARIES)
                get_target_property(valeur ${courant} ${propriete})
                if(valeur)
                    list(APPEND liens ${valeur})
                endif()
            endforeach()
        endif()
        foreach(element IN LISTS liens)
            _quillon_noms_lien("${element}" noms)
            foreach(nom IN LISTS noms)
                string(MAKE_C_IDENTIFIER "${nom}" id)
                if(NOT DEFINED chemin_${id})
                    set(chemin_${id} ${chemin_${id_courant}} ${nom})
                endif()
                list(APPEND a_voir ${nom})
            endforeach()
        endforeach()
    endwhile()
endfunction()
