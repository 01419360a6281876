# emscripten.cmake -- CMake toolchain for the browser with Debian's Emscripten: the game becomes a web
# page's WebAssembly, and replay runs under Node.js (the golden sessions, bit for bit).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# emcc's JavaScript optimiser needs Debian's acorn, which Node.js finds only through NODE_PATH.
set(CMAKE_C_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
# Node.js 18 and later would load the .wasm with fetch, which cannot read a local file.
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-experimental-fetch)
