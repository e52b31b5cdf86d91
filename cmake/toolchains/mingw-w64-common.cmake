# SPDX-License-Identifier: MIT
# Shared part of the MinGW-w64 toolchain files: Debian's cross compilers with
# POSIX threads, the target's own libraries only, and Wine to run what is
# built (tests, test discovery). The including file sets QUINDLE_MINGW_TRIPLE
# and QUINDLE_WINE_LOADER first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUINDLE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUINDLE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUINDLE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUINDLE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must not hand the build libraries of the host.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${QUINDLE_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Programs run through Wine: scripts/wine-run picks the loader and keeps the
# Wine prefix in the build tree.
get_filename_component(_quindle_root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_quindle_root}/scripts/wine-run ${QUINDLE_WINE_LOADER})
