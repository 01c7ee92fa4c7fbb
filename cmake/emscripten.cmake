# The web build with Debian's emscripten package (scripts/setup.sh): Debian's
# own Emscripten toolchain, plus one thing its packaging needs. emcc runs Node
# scripts that load modules Debian keeps in /usr/share/nodejs (node-acorn),
# where Node does not look by itself: the configure step (whose test programs
# are linked too) and every link run with NODE_PATH pointing there.
set(SPRITEDEMO_NODE_PATH /usr/share/nodejs)
set(ENV{NODE_PATH} ${SPRITEDEMO_NODE_PATH})
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${SPRITEDEMO_NODE_PATH})
