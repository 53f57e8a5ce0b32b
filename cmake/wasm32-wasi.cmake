# The web page's module: WebAssembly for WASI with Debian's clang-14 and its wasi-libc,
# libc++ and compiler runtime. The sysroot names only the WASI headers and libraries, so a
# header missing there fails the build instead of being taken from the host's /usr/include.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)

set(ZV_WASI_SYSROOT ${CMAKE_BINARY_DIR}/wasi-sysroot)
file(MAKE_DIRECTORY ${ZV_WASI_SYSROOT}/include ${ZV_WASI_SYSROOT}/lib)
file(CREATE_LINK /usr/include/wasm32-wasi ${ZV_WASI_SYSROOT}/include/wasm32-wasi SYMBOLIC)
file(CREATE_LINK /usr/lib/wasm32-wasi ${ZV_WASI_SYSROOT}/lib/wasm32-wasi SYMBOLIC)
set(CMAKE_SYSROOT ${ZV_WASI_SYSROOT})

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
