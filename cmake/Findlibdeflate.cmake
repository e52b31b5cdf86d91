# SPDX-License-Identifier: MIT
# Finds libdeflate through pkg-config, for the Debian releases whose
# libdeflate-dev ships no CMake package of its own.
#
# Defines the imported target libdeflate::libdeflate, and libdeflate_FOUND
# and libdeflate_VERSION. Installed beside Quindle's CMake package, because
# the static Quindle libraries link this target.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(PC_libdeflate QUIET libdeflate)
endif()

find_path(libdeflate_INCLUDE_DIR libdeflate.h HINTS ${PC_libdeflate_INCLUDE_DIRS})
find_library(libdeflate_LIBRARY NAMES deflate HINTS ${PC_libdeflate_LIBRARY_DIRS})
set(libdeflate_VERSION ${PC_libdeflate_VERSION})

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(libdeflate
  REQUIRED_VARS libdeflate_LIBRARY libdeflate_INCLUDE_DIR
  VERSION_VAR libdeflate_VERSION)

if(libdeflate_FOUND AND NOT TARGET libdeflate::libdeflate)
  add_library(libdeflate::libdeflate UNKNOWN IMPORTED)
  set_target_properties(libdeflate::libdeflate PROPERTIES
    IMPORTED_LOCATION "${libdeflate_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${libdeflate_INCLUDE_DIR}")
endif()
mark_as_advanced(libdeflate_INCLUDE_DIR libdeflate_LIBRARY)
