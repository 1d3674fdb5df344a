# Cross-building for 32-bit Windows, as the game client is built: the
# stand-in client and the programs without Qt (TARVEX_BUILD_APP=OFF).
set(TARVEX_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
