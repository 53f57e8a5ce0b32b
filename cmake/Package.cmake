# The Debian package of the command-line tool, made by CPack (`cpack -G DEB` in the
# native build folder) from what `cmake --install` puts under /usr, with the copyright
# note and the changelog that Debian asks for; the changelog's entry has the version.
zv_tool_document(${CMAKE_SOURCE_DIR}/dist/changelog.in changelog)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvane-expand)

# The package holds the tool alone: installing it builds what it installs, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane-expand)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zorvane developers <zorvane@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "expand SZDD, KWAJ and cabinet files from old installation disks")
set(CPACK_PACKAGE_DESCRIPTION
  "zorvane-expand expands the files of the COMPRESS tools found on old\n"
  "installation disks (SETUP.EX_, README.TX_): SZDD, its short-header variant\n"
  "and KWAJ with all its methods, and the cabinets of one file of later\n"
  "installation media (ACPI.SY_), beside themselves or into a folder, with the\n"
  "original extension restored from a table or from the file's header. The\n"
  "members of a cabinet of several files are extracted into their folders.")
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
