# The help beside the program, made at build time from help/ by help/mkhelp.py in each
# language of the interface: the help file with its contents file, which Help > Contents
# opens through WinHelp, and the same help as one HTML page, which it opens where Windows
# has no WinHelp. Japanese: ZORVANE.HLP, .CNT and .HTM; English: ZORVANEE.*.
set(HELP_OUTPUTS)
foreach(language ja en)
  if(language STREQUAL ja)
    set(source ${CMAKE_SOURCE_DIR}/help/zorvane-help.txt)
    set(name ZORVANE)
    set(code_page 932)
  else()
    set(source ${CMAKE_SOURCE_DIR}/help/zorvane-help-en.txt)
    set(name ZORVANEE)
    set(code_page 1252)
  endif()
  set(outputs ${CMAKE_BINARY_DIR}/${name}.HLP ${CMAKE_BINARY_DIR}/${name}.CNT ${CMAKE_BINARY_DIR}/${name}.HTM)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/help/mkhelp.py --code-page ${code_page} ${source} ${outputs}
    DEPENDS ${source} ${CMAKE_SOURCE_DIR}/help/mkhelp.py
    COMMENT "Making the help in code page ${code_page}"
    VERBATIM)
  list(APPEND HELP_OUTPUTS ${outputs})
endforeach()
add_custom_target(zorvane_help ALL DEPENDS ${HELP_OUTPUTS})
