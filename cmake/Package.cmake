# The Debian package of the command-line tool: what `cmake --install` puts under /usr,
# with the copyright note, made by CPack (`cpack -G DEB` in the native build folder).
# The package's documents: the copyright note and the changelog that Debian asks for,
# compressed as Debian keeps it; the changelog's entry carries the project version.
set(PACKAGE_DOCS ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvane-expand)
set(CHANGELOG ${CMAKE_BINARY_DIR}/changelog)
configure_file(${CMAKE_SOURCE_DIR}/dist/changelog.in ${CHANGELOG} @ONLY)
add_custom_command(OUTPUT ${CHANGELOG}.gz
  COMMAND gzip -9 -n -c ${CHANGELOG} > ${CHANGELOG}.gz
  DEPENDS ${CHANGELOG}
  VERBATIM)
add_custom_target(zorvane_changelog ALL DEPENDS ${CHANGELOG}.gz)
add_dependencies(zorvane-expand zorvane_changelog)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CHANGELOG}.gz DESTINATION ${PACKAGE_DOCS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane-expand)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zorvane developers <zorvane@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "expand SZDD and KWAJ compressed files from old installation disks")
set(CPACK_PACKAGE_DESCRIPTION
  "zorvane-expand expands the files of the COMPRESS tools found on old\n"
  "installation disks (SETUP.EX_, README.TX_): SZDD, its short-header variant\n"
  "and KWAJ with all its methods, beside themselves or into a folder, with the\n"
  "original extension restored from a table or from the file's header.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies are read from the built binary by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
