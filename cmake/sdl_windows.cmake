# sdl_windows.cmake -- SDL 1.2 for Windows, built in this build tree from Debian's own source package
# with Debian's patch series (the BMP loader's security fixes among them); nothing prebuilt.
# Gives the imported targets sdl (SDL.dll's import library) and sdl_main (SDLmain: WinMain calls main).
include(ExternalProject)
set(DRIFTROCK_SDL_VERSION "1.2.15+dfsg2-8" CACHE STRING "Debian's libsdl1.2 source version for Windows")
set(DRIFTROCK_SDL_DSC_SHA256 ff6cf187235703226f91af9d636255c5d7141bf1a693aa37293ceeb11430cc33
  CACHE STRING "The SHA-256 of that version's .dsc, which names every tarball's checksum")
set(sdl_root ${CMAKE_BINARY_DIR}/sdl)
# No stdio redirection: SDLmain would otherwise write stdout.txt beside the program, which an
# installed game may not do. Standard output stays the process's own: a console or a pipe sees it.
ExternalProject_Add(sdl_build
  PREFIX ${CMAKE_BINARY_DIR}/sdl-build
  INSTALL_DIR ${sdl_root}
  DOWNLOAD_COMMAND rm -rf <SOURCE_DIR>
    COMMAND sh ${PROJECT_SOURCE_DIR}/tools/debian_source.sh libsdl1.2 ${DRIFTROCK_SDL_VERSION}
      ${DRIFTROCK_SDL_DSC_SHA256} <SOURCE_DIR>
  # The same DLL wherever it is built: no folder's path in it and no link time.
  CONFIGURE_COMMAND <SOURCE_DIR>/configure --host=${MINGW_HOST} --prefix=<INSTALL_DIR> --disable-static
    --disable-stdio-redirect -q "CFLAGS=-O2 -ffile-prefix-map=<SOURCE_DIR>/=sdl/ -ffile-prefix-map=<BINARY_DIR>/=sdl/"
    LDFLAGS=-Wl,--no-insert-timestamp
  BUILD_COMMAND make -j4 -s
  # SDL.dll, stripped, goes to the top of the build tree: the programs find it beside them there, as
  # they do in the game's folder.
  INSTALL_COMMAND make -s install COMMAND ${CMAKE_STRIP} -o ${CMAKE_BINARY_DIR}/SDL.dll <INSTALL_DIR>/bin/SDL.dll
  BUILD_BYPRODUCTS ${sdl_root}/lib/libSDL.dll.a ${sdl_root}/lib/libSDLmain.a ${CMAKE_BINARY_DIR}/SDL.dll
  LOG_DOWNLOAD ON LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)
file(MAKE_DIRECTORY ${sdl_root}/include/SDL)

add_library(sdl SHARED IMPORTED GLOBAL)
set_target_properties(sdl PROPERTIES IMPORTED_IMPLIB ${sdl_root}/lib/libSDL.dll.a
  IMPORTED_LOCATION ${CMAKE_BINARY_DIR}/SDL.dll INTERFACE_INCLUDE_DIRECTORIES ${sdl_root}/include/SDL)
add_dependencies(sdl sdl_build)
add_library(sdl_main STATIC IMPORTED GLOBAL)
set_target_properties(sdl_main PROPERTIES IMPORTED_LOCATION ${sdl_root}/lib/libSDLmain.a)
add_dependencies(sdl_main sdl_build)
set(SDL_DLL ${CMAKE_BINARY_DIR}/SDL.dll)
set(SDL_LICENCE ${CMAKE_BINARY_DIR}/sdl-build/src/sdl_build/COPYING)
