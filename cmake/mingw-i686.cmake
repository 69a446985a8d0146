# Cross-compiles the 32-bit Windows program with Debian's mingw-w64 i686 tools. The build-time
# generators (patch table, soundtrack, texture scripts) must run on this machine, so they come from
# a native build given as VALE_HOST_BUILD (the Makefile's `windows` target prepares one).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VALE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VALE_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${VALE_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${VALE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 arithmetic as on x86-64: the x87 unit's extended precision would change the textures and
# the samples. The runtime libraries are linked in, so the program needs only system DLLs.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# Tests run under Wine.
find_program(VALE_WINE wine)
if(VALE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VALE_WINE})
endif()
