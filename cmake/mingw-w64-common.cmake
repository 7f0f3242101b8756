# Shared part of the two MinGW-w64 cross toolchains. The including file sets ZELK_MINGW_TRIPLE
# and ZELK_WINE before it. The posix thread model is used because GoogleTest needs
# std::mutex; every binary links its runtime statically, so nothing has to lie beside it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZELK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELK_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${ZELK_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# CTest runs the Windows test executables under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELK_WINE})
