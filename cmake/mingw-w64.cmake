# Cross-building for 64-bit Windows with Debian's mingw-w64 (POSIX threads);
# tests run under Wine, in a Wine prefix of the build's own. For the viewer,
# add Qt for Windows to CMAKE_PREFIX_PATH and CMAKE_FIND_ROOT_PATH.
# mingw-w64-i686.cmake builds for 32-bit Windows through this file.
if(NOT TARVEX_MINGW_TRIPLE)
  set(TARVEX_MINGW_TRIPLE x86_64-w64-mingw32)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TARVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVEX_MINGW_TRIPLE}-windres)
find_program(CMAKE_STRIP ${TARVEX_MINGW_TRIPLE}-strip)
find_program(CMAKE_OBJDUMP ${TARVEX_MINGW_TRIPLE}-objdump)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TARVEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
