# The same code for 64-bit Windows. It exists so that the whole test suite runs against the
# real Win32 API (under wine64) on machines whose kernel cannot execute 32-bit code, where
# the 32-bit wine loader fails with "Exec format error".
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZELK_MINGW_TRIPLE x86_64-w64-mingw32)
set(ZELK_WINE /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
