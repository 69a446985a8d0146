# Shared by the mingw-w64 toolchain files. The build-time generators (patch table, soundtrack,
# texture scripts) must run on this machine, so they come from a native build given as
# VALE_HOST_BUILD (the Makefile's `windows` target prepares one).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VALE_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${VALE_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${VALE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "${VALE_MINGW_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${VALE_MINGW_FLAGS}")
# The runtime libraries are linked in, so the program needs only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# Tests run under Wine. Debian's `wine` script always prefers the 32-bit loader when it is
# installed, so 64-bit programs are given the 64-bit loader and server by name.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(VALE_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(VALE_WINESERVER wineserver64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
else()
  find_program(VALE_WINE wine)
  find_program(VALE_WINESERVER wineserver)
endif()
if(VALE_WINE AND VALE_WINESERVER)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINELOADER=${VALE_WINE} WINESERVER=${VALE_WINESERVER} WINEDEBUG=-all
      "WINEDLLOVERRIDES=mscoree,mshtml=" ${VALE_WINE})
endif()
