# Run by CPack between installing into its staging folder and packing it: for a Debian
# package, moves the program to /usr/games, where Debian keeps the programs of its games
# section (a plain `cmake --install` leaves it in bin/), and removes the sections that say
# which compiler built it (.comment, .note), as Debian's own packages do: stripping the
# symbols (CPACK_STRIP_FILES) leaves them.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(MAKE_DIRECTORY "${usr}/games")
file(RENAME "${usr}/${CPACK_TSUZURI_BINDIR}/tsuzuri" "${usr}/games/tsuzuri")
file(GLOB left "${usr}/${CPACK_TSUZURI_BINDIR}/*")
if(NOT left)
    file(REMOVE_RECURSE "${usr}/${CPACK_TSUZURI_BINDIR}")
endif()
execute_process(
    COMMAND "${CPACK_TSUZURI_OBJCOPY}" --remove-section=.comment --remove-section=.note
            "${usr}/games/tsuzuri"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "objcopy failed on ${usr}/games/tsuzuri: ${result}")
endif()
