# Run by CPack between installing into its staging folder and packing it: for a Debian
# package, moves the program to /usr/games, where Debian keeps the programs of its games
# section (a plain `cmake --install` leaves it in bin/).
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
