# mingw64.cmake -- CMake toolchain for 64-bit Windows with Debian's mingw-w64; its programs run under
# wine64 (harness/wine.py). SDL 1.2 is built from Debian's source by cmake/sdl_windows.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_HOST}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_HOST}-g++)
set(CMAKE_RC_COMPILER ${MINGW_HOST}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
