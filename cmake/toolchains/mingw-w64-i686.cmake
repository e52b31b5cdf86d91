# SPDX-License-Identifier: MIT
# 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686-posix).
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUINDLE_MINGW_TRIPLE i686-w64-mingw32)
set(QUINDLE_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
