# Windows builds (MinGW-w64): the program, and the tests that run it under Wine.
add_compile_definitions(WINVER=0x0500 _WIN32_WINNT=0x0500 _WIN32_IE=0x0500 STRICT)
# One self-contained .exe: no MinGW runtime DLL beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

# Deflate (KWAJ method 4) from zlib, linked in statically like the runtime.
find_library(ZLIB_STATIC_LIBRARY NAMES libz.a REQUIRED)
target_link_libraries(zorvane_portable PUBLIC ${ZLIB_STATIC_LIBRARY})

set(WIN32_LIBS comctl32 shell32 advapi32 ole32 oleaut32 uuid comdlg32 gdi32 user32 kernel32)

set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/zorvane.rc)
include(cmake/Icon.cmake)
# The version header of the resource script, beside the generated icon.
configure_file(${CMAKE_SOURCE_DIR}/res/zorvane-version.h.in ${ICON_DIR}/zorvane-version.h @ONLY)
include(cmake/Help.cmake)

# Everything but the entry point, so that the tests can drive the real windows.
file(GLOB_RECURSE UI_SOURCES CONFIGURE_DEPENDS framework/*.cpp app/*.cpp ui/*.cpp)
list(FILTER UI_SOURCES EXCLUDE REGEX "/framework/WinMain\\.cpp$|/app/Program\\.cpp$")
add_library(zorvane_ui STATIC ${UI_SOURCES})
target_include_directories(zorvane_ui PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(zorvane_ui PUBLIC zorvane_portable ${WIN32_LIBS})

add_executable(zorvane WIN32 framework/WinMain.cpp app/Program.cpp ${RESOURCE_SCRIPT})
target_link_libraries(zorvane PRIVATE zorvane_ui)
add_dependencies(zorvane zorvane_icon zorvane_help)

# The command-line tool as a console program, from the same sources as the native one.
file(GLOB CLI_SOURCES CONFIGURE_DEPENDS cli/*.cpp)
set(CLI_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/zvexpand.rc)
set_source_files_properties(${CLI_RESOURCE_SCRIPT} PROPERTIES INCLUDE_DIRECTORIES ${ICON_DIR})
# RuntimeEnds.cpp keeps the runtime's exception machinery out, as WinMain.cpp does for the window.
add_executable(zvexpand ${CLI_SOURCES} cli/win32/RuntimeEnds.cpp ${CLI_RESOURCE_SCRIPT})
target_compile_definitions(zvexpand PRIVATE ZV_VERSION="${PROJECT_VERSION}" ZV_PROGRAM_NAME="ZVEXPAND"
  ZV_DOCUMENT="README.TXT")
# Nothing in it throws (RuntimeEnds.cpp ends the program instead), so its own code
# carries no unwinding.
target_compile_options(zvexpand PRIVATE -fno-exceptions)
target_link_libraries(zvexpand PRIVATE zorvane_portable kernel32)

# Tests, run by scripts/test under wine64.
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The runtime of these builds has no std::mutex, of which GoogleTest makes its
# Notification; the tests' own hook header gives it one on Win32 events.
target_include_directories(gtest BEFORE PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/tests/support/gtest-custom>)

file(GLOB PORTABLE_TEST_SOURCES CONFIGURE_DEPENDS tests/lz/*.cpp tests/core/*.cpp tests/platform/*.cpp
  tests/platform/win32/*.cpp)
if(PORTABLE_TEST_SOURCES)
  add_executable(zorvane_unit_tests ${PORTABLE_TEST_SOURCES})
  target_link_libraries(zorvane_unit_tests PRIVATE zorvane_portable GTest::gtest_main)
endif()

# The command-line tool's own cases against ZVEXPAND.EXE beside them, and those of its
# Windows habits; the cases of signals, FIFOs, links and swapped folders are the native
# tool's only.
file(GLOB CLI_TEST_SOURCES CONFIGURE_DEPENDS tests/cli/*.cpp tests/cli/win32/*.cpp)
list(FILTER CLI_TEST_SOURCES EXCLUDE REGEX "/(ToolEndings|HostileFileSystem)Test\\.cpp$")
if(CLI_TEST_SOURCES)
  add_executable(zorvane_cli_tests ${CLI_TEST_SOURCES})
  target_include_directories(zorvane_cli_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(zorvane_cli_tests PRIVATE ZV_EXPAND_TOOL="zvexpand.exe")
  target_link_libraries(zorvane_cli_tests PRIVATE zorvane_portable GTest::gtest_main advapi32)
  add_dependencies(zorvane_cli_tests zvexpand)
endif()

# In-process tests of the windows: they link the program's code and resources.
file(GLOB_RECURSE UI_TEST_SOURCES CONFIGURE_DEPENDS tests/app/*.cpp tests/framework/*.cpp tests/ui/*.cpp tests/support/*.cpp)
if(UI_TEST_SOURCES)
  add_executable(zorvane_ui_tests ${UI_TEST_SOURCES} ${RESOURCE_SCRIPT})
  target_link_libraries(zorvane_ui_tests PRIVATE zorvane_ui GTest::gtest)
  add_dependencies(zorvane_ui_tests zorvane_icon)
endif()

# End-to-end tests: they start the real zorvane.exe from outside.
file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp)
if(E2E_TEST_SOURCES)
  # The drive text is checked against the program's own formatting.
  add_executable(zorvane_e2e_tests ${E2E_TEST_SOURCES} ui/main/DiskSpace.cpp)
  target_include_directories(zorvane_e2e_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
  # The tests' own writers of compressed files deflate with zlib.
  target_link_libraries(zorvane_e2e_tests PRIVATE GTest::gtest_main ${ZLIB_STATIC_LIBRARY} ${WIN32_LIBS})
  add_dependencies(zorvane_e2e_tests zorvane)
endif()

file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS bench/wine/*.cpp)
if(WIN_BENCH_SOURCES)
  add_executable(zorvane_wine_bench ${WIN_BENCH_SOURCES} ${RESOURCE_SCRIPT})
  target_link_libraries(zorvane_wine_bench PRIVATE zorvane_ui)
  add_dependencies(zorvane_wine_bench zorvane_icon)
endif()

# File to file under Windows: the console tool, the main window and the core on one file.
file(GLOB CONSOLE_BENCH_SOURCES CONFIGURE_DEPENDS bench/console/*.cpp)
if(CONSOLE_BENCH_SOURCES)
  add_executable(zorvane_console_bench ${CONSOLE_BENCH_SOURCES} ${RESOURCE_SCRIPT})
  target_link_libraries(zorvane_console_bench PRIVATE zorvane_ui)
  add_dependencies(zorvane_console_bench zorvane_icon zvexpand)
endif()
