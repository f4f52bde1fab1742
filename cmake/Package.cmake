# What an installation holds beyond the programs and their manual pages, and
# the Debian package made of it.

# callmorph removes pictures when started under a name that holds "rmpic".
if("callmorph" IN_LIST SUITE_PROGRAMS)
  file(MAKE_DIRECTORY "${SUITE_BIN_DIR}")
  file(CREATE_LINK callmorph "${SUITE_BIN_DIR}/rmpic" SYMBOLIC)
  install(FILES "${SUITE_BIN_DIR}/rmpic" DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

set(SUITE_COMPLETIONS_DIR "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES completion/callmorph completion/rangepick DESTINATION "${SUITE_COMPLETIONS_DIR}")
# The second name of callmorph completes like the first.
file(CREATE_LINK callmorph "${CMAKE_BINARY_DIR}/rmpic-completion" SYMBOLIC)
install(FILES "${CMAKE_BINARY_DIR}/rmpic-completion" DESTINATION "${SUITE_COMPLETIONS_DIR}"
        RENAME rmpic)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "sequence-suite")
set(CPACK_PACKAGE_VENDOR "sequence-suite developers")
set(CPACK_PACKAGE_CONTACT "sequence-suite developers <maintainers@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "filters for square-dance sequence files")
set(CPACK_PACKAGE_DESCRIPTION
    "Eight small command-line filters for callers' choreography files: cut\n"
    "ranges of sequences (rangepick), renumber titles (tallyup), rewrite call\n"
    "text and dancer pictures (callmorph), and join, convert, detect, compare\n"
    "and clip sequence files (pagemark, chainup, probelist, twocol, tailclip).")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
include(CPack)
