# Cabinets (MSZIP, LZX, Quantum) through libmspack: natively Debian's shared library; on
# Windows its cabinet reader compiled from Debian's source of the same version, fetched
# by scripts/lib.sh, without the library's own file calls, so that it reads and writes
# only through the streams the LZ service gives it.
set(ZV_MSPACK_SOURCE "" CACHE PATH "Debian's libmspack source tree (scripts/lib.sh fetches it)")

if(WIN32)
  set(MSPACK_DIR ${ZV_MSPACK_SOURCE}/mspack)
  if(NOT EXISTS ${MSPACK_DIR}/cabd.c)
    message(FATAL_ERROR "no libmspack source at ZV_MSPACK_SOURCE='${ZV_MSPACK_SOURCE}'; scripts/build fetches it")
  endif()
  add_library(zorvane_mspack STATIC
    ${MSPACK_DIR}/cabd.c ${MSPACK_DIR}/lzxd.c ${MSPACK_DIR}/mszipd.c ${MSPACK_DIR}/qtmd.c ${MSPACK_DIR}/system.c)
  target_include_directories(zorvane_mspack SYSTEM PUBLIC ${MSPACK_DIR})
  target_compile_definitions(zorvane_mspack PRIVATE MSPACK_NO_DEFAULT_SYSTEM)
  # Its code as Debian ships it: its warnings are not ours to mend. Nothing unwinds
  # through it (the calls it makes back into ours throw nothing), so it needs no tables.
  target_compile_options(zorvane_mspack PRIVATE -w -fno-asynchronous-unwind-tables -fno-unwind-tables)
  target_link_libraries(zorvane_portable PUBLIC zorvane_mspack)
else()
  find_path(MSPACK_INCLUDE_DIR mspack.h REQUIRED)
  find_library(MSPACK_LIBRARY mspack REQUIRED)
  target_include_directories(zorvane_portable SYSTEM PUBLIC ${MSPACK_INCLUDE_DIR})
  target_link_libraries(zorvane_portable PUBLIC ${MSPACK_LIBRARY})
endif()
