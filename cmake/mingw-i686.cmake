# Cross-compiles the 32-bit Windows program (the product: build-win32/vale.exe) with Debian's
# mingw-w64 i686 tools.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VALE_MINGW_PREFIX i686-w64-mingw32)
# SSE2 arithmetic as on x86-64: the x87 unit's extended precision would change the textures and
# the samples.
set(VALE_MINGW_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
