# The program icon, made at build time from its source in res/icon/.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ICON_SOURCE ${CMAKE_SOURCE_DIR}/res/icon/zorvane.icon.txt)
set(ICON_DIR ${CMAKE_BINARY_DIR}/res)
set(ICON_FILE ${ICON_DIR}/zorvane.ico)

add_custom_command(
  OUTPUT ${ICON_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ICON_DIR}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/res/icon/mkicon.py ${ICON_SOURCE} ${ICON_FILE}
  DEPENDS ${ICON_SOURCE} ${CMAKE_SOURCE_DIR}/res/icon/mkicon.py
  COMMENT "Making the program icon"
  VERBATIM)
add_custom_target(zorvane_icon DEPENDS ${ICON_FILE})

# The resource script names the icon by its bare file name; windres looks for
# it in the include directories, and recompiles when it changes.
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES
  INCLUDE_DIRECTORIES ${ICON_DIR}
  OBJECT_DEPENDS ${ICON_FILE})
