# The help file and its contents file, made at build time from help/ beside the
# program, whose Help > Contents opens the file named like it with ".HLP".
set(HELP_SOURCE ${CMAKE_SOURCE_DIR}/help/zorvane-help.txt)
set(HELP_FILE ${CMAKE_BINARY_DIR}/ZORVANE.HLP)
set(HELP_CONTENTS ${CMAKE_BINARY_DIR}/ZORVANE.CNT)

add_custom_command(
  OUTPUT ${HELP_FILE} ${HELP_CONTENTS}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/help/mkhelp.py ${HELP_SOURCE} ${HELP_FILE} ${HELP_CONTENTS}
  DEPENDS ${HELP_SOURCE} ${CMAKE_SOURCE_DIR}/help/mkhelp.py
  COMMENT "Making the help file"
  VERBATIM)
add_custom_target(zorvane_help ALL DEPENDS ${HELP_FILE} ${HELP_CONTENTS})
