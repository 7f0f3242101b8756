# The product: zelk.dll for 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZELK_MINGW_TRIPLE i686-w64-mingw32)
set(ZELK_WINE /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
