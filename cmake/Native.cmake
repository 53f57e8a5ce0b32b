# Native Linux build: the portable code, its tests under the sanitizers,
# the command-line front end and the benchmarks.
enable_testing()
find_package(Threads REQUIRED)
# GoogleTest is built for the tests only; nothing of it is installed or packaged.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Deflate (KWAJ method 4) comes from the system's zlib.
find_package(ZLIB REQUIRED)
target_link_libraries(zorvane_portable PUBLIC ZLIB::ZLIB Threads::Threads)

file(GLOB PORTABLE_TEST_SOURCES CONFIGURE_DEPENDS tests/lz/*.cpp tests/core/*.cpp tests/platform/*.cpp)
if(PORTABLE_TEST_SOURCES)
  # The sources are compiled again here so that they run under the sanitizers too.
  add_executable(zorvane_unit_tests ${PORTABLE_TEST_SOURCES} ${PORTABLE_SOURCES})
  target_include_directories(zorvane_unit_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(zorvane_unit_tests PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(zorvane_unit_tests PRIVATE -fsanitize=address,undefined)
  target_include_directories(zorvane_unit_tests SYSTEM PRIVATE ${MSPACK_INCLUDE_DIR})
  # libmspack's own test cabinets, from its source.
  target_compile_definitions(zorvane_unit_tests PRIVATE ZV_MSPACK_TEST_FILES="${ZV_MSPACK_SOURCE}/test/test_files/cabd")
  target_link_libraries(zorvane_unit_tests PRIVATE GTest::gtest_main ZLIB::ZLIB Threads::Threads ${MSPACK_LIBRARY})
  add_test(NAME unit COMMAND zorvane_unit_tests)
endif()

file(GLOB CLI_SOURCES CONFIGURE_DEPENDS cli/*.cpp)
if(CLI_SOURCES)
  add_executable(zorvane-expand ${CLI_SOURCES})
  target_compile_definitions(zorvane-expand PRIVATE ZV_VERSION="${PROJECT_VERSION}" ZV_PROGRAM_NAME="zorvane-expand"
    "ZV_DOCUMENT=\"zorvane-expand(1)\"" _FORTIFY_SOURCE=2)
  # Hardened as Debian builds its own tools.
  target_link_options(zorvane-expand PRIVATE -Wl,-z,now)
  target_link_libraries(zorvane-expand PRIVATE zorvane_portable)

  # A document of the tool, given the project version and compressed as man and Debian
  # keep it, built with the tool: zv_tool_document(SOURCE NAME) makes NAME.gz.
  function(zv_tool_document source name)
    set(document ${CMAKE_BINARY_DIR}/${name})
    configure_file(${source} ${document} @ONLY)
    add_custom_command(OUTPUT ${document}.gz
      COMMAND gzip -9 -n -c ${document} > ${document}.gz
      DEPENDS ${document}
      VERBATIM)
    add_custom_target(zorvane_${name}_gz ALL DEPENDS ${document}.gz)
    add_dependencies(zorvane-expand zorvane_${name}_gz)
  endfunction()
  zv_tool_document(cli/zorvane-expand.1 zorvane-expand.1)

  include(GNUInstallDirs)
  install(TARGETS zorvane-expand RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_BINARY_DIR}/zorvane-expand.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  include(cmake/Package.cmake)

  # End-to-end tests: they run the built tool as a user would.
  file(GLOB CLI_TEST_SOURCES CONFIGURE_DEPENDS tests/cli/*.cpp)
  if(CLI_TEST_SOURCES)
    add_executable(zorvane_cli_tests ${CLI_TEST_SOURCES})
    target_include_directories(zorvane_cli_tests PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_definitions(zorvane_cli_tests PRIVATE
      ZV_EXPAND_TOOL="$<TARGET_FILE:zorvane-expand>" ZV_MANUAL_PAGE="${CMAKE_SOURCE_DIR}/cli/zorvane-expand.1")
    target_link_libraries(zorvane_cli_tests PRIVATE zorvane_portable GTest::gtest_main)
    add_dependencies(zorvane_cli_tests zorvane-expand)
    add_test(NAME cli COMMAND zorvane_cli_tests)
  endif()
endif()

# The native side of the web page's benchmark (bench/web/bench.py).
add_executable(zorvane_web_bench EXCLUDE_FROM_ALL bench/web/WebBench.cpp)
target_compile_options(zorvane_web_bench PRIVATE -O2)
target_link_libraries(zorvane_web_bench PRIVATE zorvane_portable)

find_package(benchmark QUIET)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS bench/native/*.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  add_executable(zorvane_bench ${BENCH_SOURCES})
  target_compile_options(zorvane_bench PRIVATE -O2)
  target_link_libraries(zorvane_bench PRIVATE zorvane_portable benchmark::benchmark)
endif()
