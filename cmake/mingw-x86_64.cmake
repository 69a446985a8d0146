# The same Windows sources built for x86-64, to run the Wine tests on machines whose kernel runs no
# 32-bit processes (there 32-bit Wine cannot start). Not a product: vale.exe is the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VALE_MINGW_PREFIX x86_64-w64-mingw32)
set(VALE_MINGW_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
