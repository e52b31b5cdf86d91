# SPDX-License-Identifier: MIT
# Install rules of the libraries and programs, and the CMake and pkg-config
# packages that describe them to other projects.
#
#   quindle_install_library(<target>
#     [DESCRIPTION <text>]
#     [HEADERS <file>...]
#     [PLATFORM_HEADERS <file>...]
#     [FIND_DEPENDENCIES <package>...]
#     [PKGCONFIG_REQUIRES_PRIVATE <module>...]
#     [PKGCONFIG_LIBS_PRIVATE <library>...])
#
# Makes the library quindle_<name> the installed quindle::<name>:
# - a shared library gets the SOVERSION and hidden symbols; what it offers
#   other modules is marked with QUINDLE_<NAME>_EXPORT from the generated
#   header "<folder>/export.h" (<folder> is the calling folder relative to the
#   top, "rtl/core" for instance), which every library gets, shared or not;
# - HEADERS (relative to the calling folder) are installed under
#   include/quindle/<folder>/, keeping their sub-folders, and
#   PLATFORM_HEADERS (the back end's headers that public headers include by
#   their bare name) directly in include/quindle/<folder>/;
# - the library joins the exported CMake package; FIND_DEPENDENCIES name the
#   packages that QuindleConfig.cmake finds for it (find_dependency), those
#   its static form links privately and those of its interface; an entry may
#   hold arguments: "Qt6 COMPONENTS Widgets";
# - a pkg-config module is installed: "quindle" for the engine,
#   "quindle-<name>" (with '-' for '_') for the others. Its Requires and
#   Requires.private come from the quindle:: libraries the target links
#   publicly and privately; PKGCONFIG_REQUIRES_PRIVATE and
#   PKGCONFIG_LIBS_PRIVATE (library names, as for target_link_libraries) add
#   the other dependencies.
# Call it after target_link_libraries, and link quindle_warnings as
# $<BUILD_INTERFACE:quindle_warnings> (it is not installed). A new library,
# a Qt widgetset for instance, needs this one call:
#   quindle_install_library(quindle_widgetset_qt HEADERS qt_widgetset.h
#     FIND_DEPENDENCIES "Qt6 COMPONENTS Widgets" PKGCONFIG_REQUIRES_PRIVATE Qt6Widgets)
#
#   quindle_install_program(<target> [COMPONENT <component>])
#
# Installs a program into bin/, in the component "command" unless another is
# given (a component of its own becomes a Debian package of its own, see
# QuindlePackaging.cmake); in a shared build outside the system's library
# folders it finds the libraries relative to itself.
#
#   quindle_install_package()
#
# Called once, at the end of the top-level CMakeLists.txt: installs the CMake
# package (QuindleConfig.cmake, its version file, the targets).
#
# Nothing is installed when QUINDLE_INSTALL is off (the default for a project
# included with add_subdirectory); the libraries are still made the same way.
#
# Components: "runtime" (shared libraries), "development" (headers, static
# libraries, link names, CMake and pkg-config files), "command" (the quindle
# command, its manual page and shell completion).

include_guard(GLOBAL)
include(GNUInstallDirs)
include(GenerateExportHeader)
include(CMakePackageConfigHelpers)

set(QUINDLE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quindle)
set(QUINDLE_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(QUINDLE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/quindle)
# Generated public headers (the export macros), in the layout of the sources.
set(QUINDLE_GENERATED_INCLUDEDIR ${PROJECT_BINARY_DIR}/include)
set(QUINDLE_INSTALL_TEMPLATES ${CMAKE_CURRENT_LIST_DIR})

# quindle_engine -> engine; quindle::engine -> engine.
function(_quindle_short_name out target)
  string(REGEX REPLACE "^(quindle::|quindle_)" "" name "${target}")
  set(${out} "${name}" PARENT_SCOPE)
endfunction()

# The pkg-config module of quindle::<name>.
function(_quindle_pkgconfig_name out name)
  if(name STREQUAL "engine")
    set(${out} "quindle" PARENT_SCOPE)
  else()
    string(REPLACE "_" "-" name "${name}")
    set(${out} "quindle-${name}" PARENT_SCOPE)
  endif()
endfunction()

# The pkg-config modules of the quindle:: libraries in a link list.
function(_quindle_pkgconfig_modules out)
  set(modules "")
  foreach(item IN LISTS ARGN)
    if(item MATCHES "^quindle::")
      _quindle_short_name(name "${item}")
      _quindle_pkgconfig_name(module "${name}")
      list(APPEND modules "${module}")
    endif()
  endforeach()
  set(${out} "${modules}" PARENT_SCOPE)
endfunction()

function(quindle_install_library target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION"
    "HEADERS;PLATFORM_HEADERS;FIND_DEPENDENCIES;PKGCONFIG_REQUIRES_PRIVATE;PKGCONFIG_LIBS_PRIVATE")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quindle_install_library(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT target MATCHES "^quindle_")
    message(FATAL_ERROR "quindle_install_library(${target}): the target's name must start with quindle_")
  endif()
  _quindle_short_name(name "${target}")
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  get_target_property(type ${target} TYPE)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})

  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    string(TOUPPER "${target}" base)
    generate_export_header(${target} BASE_NAME ${base}
      EXPORT_FILE_NAME ${QUINDLE_GENERATED_INCLUDEDIR}/${folder}/export.h)
    install(FILES ${QUINDLE_GENERATED_INCLUDEDIR}/${folder}/export.h
      DESTINATION ${QUINDLE_INSTALL_INCLUDEDIR}/${folder} COMPONENT development)
    # Installed code says <quindle/engine/quindle.h>; the headers themselves
    # say "rtl/core/classes.h", found under include/quindle.
    target_include_directories(${target} PUBLIC
      $<BUILD_INTERFACE:${QUINDLE_GENERATED_INCLUDEDIR}>
      $<INSTALL_INTERFACE:${QUINDLE_INSTALL_INCLUDEDIR}>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    if(type STREQUAL "STATIC_LIBRARY")
      target_compile_definitions(${target} PUBLIC ${base}_STATIC_DEFINE)
    elseif(type STREQUAL "SHARED_LIBRARY")
      set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
      # Where the packaging finds the libraries the programs need.
      set_property(GLOBAL APPEND PROPERTY QUINDLE_SHARED_LIBRARY_DIRS ${CMAKE_CURRENT_BINARY_DIR})
    endif()
  endif()

  if(NOT QUINDLE_INSTALL)
    return()
  endif()
  install(TARGETS ${target} EXPORT QuindleTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
      NAMELINK_COMPONENT development
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  foreach(header IN LISTS arg_HEADERS)
    get_filename_component(subfolder "${header}" DIRECTORY)
    install(FILES ${header}
      DESTINATION ${QUINDLE_INSTALL_INCLUDEDIR}/${folder}/${subfolder} COMPONENT development)
  endforeach()
  if(arg_PLATFORM_HEADERS)
    install(FILES ${arg_PLATFORM_HEADERS}
      DESTINATION ${QUINDLE_INSTALL_INCLUDEDIR}/${folder} COMPONENT development)
  endif()
  set_property(GLOBAL APPEND PROPERTY QUINDLE_FIND_DEPENDENCIES ${arg_FIND_DEPENDENCIES})

  # The pkg-config module. Its prefix is the one installed to, which
  # `cmake --install --prefix` may change after configuration.
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  get_target_property(links ${target} LINK_LIBRARIES)
  if(NOT interface)
    set(interface "")
  endif()
  if(NOT links)
    set(links "")
  endif()
  _quindle_pkgconfig_name(pc_name "${name}")
  _quindle_pkgconfig_modules(pc_requires ${interface})
  _quindle_pkgconfig_modules(pc_requires_private ${links})
  list(REMOVE_ITEM pc_requires_private ${pc_requires})
  list(APPEND pc_requires_private ${arg_PKGCONFIG_REQUIRES_PRIVATE})
  list(JOIN pc_requires " " pc_requires)
  list(JOIN pc_requires_private " " pc_requires_private)
  set(pc_libs_private "")
  foreach(lib IN LISTS arg_PKGCONFIG_LIBS_PRIVATE)
    string(APPEND pc_libs_private " -l${lib}")
  endforeach()
  string(STRIP "${pc_libs_private}" pc_libs_private)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(pc_libs "")
  else()
    set(pc_libs "-L\${libdir} -l${target}")
  endif()
  set(pc_description "${arg_DESCRIPTION}")
  if(NOT pc_description)
    set(pc_description "Quindle ${name} library")
  endif()
  if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    set(pc_libdir "${CMAKE_INSTALL_LIBDIR}")
  else()
    set(pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  endif()
  if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
    set(pc_includedir "${CMAKE_INSTALL_INCLUDEDIR}")
  else()
    set(pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
  endif()
  set(pc_prefix "@pc_prefix@")  # filled in when installing
  set(pc_template ${CMAKE_CURRENT_BINARY_DIR}/${pc_name}.pc.in)
  set(pc_file ${CMAKE_CURRENT_BINARY_DIR}/${pc_name}.pc)
  configure_file(${QUINDLE_INSTALL_TEMPLATES}/quindle.pc.in ${pc_template} @ONLY)
  install(CODE "set(pc_prefix \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${pc_template}\" \"${pc_file}\" @ONLY)"
    COMPONENT development)
  install(FILES ${pc_file} DESTINATION ${QUINDLE_INSTALL_PKGCONFIGDIR} COMPONENT development)
endfunction()

function(quindle_install_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "COMPONENT" "")
  if(NOT QUINDLE_INSTALL)
    return()
  endif()
  if(NOT arg_COMPONENT)
    set(arg_COMPONENT command)
  endif()
  # The libraries of a shared build installed outside the system's library
  # folders are found relative to the program, so the installed tree can move.
  set(libdir "${CMAKE_INSTALL_FULL_LIBDIR}")
  if(BUILD_SHARED_LIBS AND NOT libdir IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
    file(RELATIVE_PATH relative "${CMAKE_INSTALL_FULL_BINDIR}" "${libdir}")
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${relative}")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${arg_COMPONENT})
endfunction()

function(quindle_install_package)
  # Shared and static builds install side by side (the Debian packages hold
  # both); QuindleConfig.cmake picks one.
  if(BUILD_SHARED_LIBS)
    set(variant shared)
  else()
    set(variant static)
  endif()
  install(EXPORT QuindleTargets NAMESPACE quindle::
    FILE QuindleTargets-${variant}.cmake
    DESTINATION ${QUINDLE_INSTALL_CMAKEDIR} COMPONENT development)

  get_property(dependencies GLOBAL PROPERTY QUINDLE_FIND_DEPENDENCIES)
  list(REMOVE_DUPLICATES dependencies)
  set(QUINDLE_FIND_DEPENDENCIES "")
  foreach(package IN LISTS dependencies)
    string(APPEND QUINDLE_FIND_DEPENDENCIES "  find_dependency(${package})\n")
  endforeach()
  configure_package_config_file(${QUINDLE_INSTALL_TEMPLATES}/QuindleConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QuindleConfig.cmake
    INSTALL_DESTINATION ${QUINDLE_INSTALL_CMAKEDIR}
    NO_SET_AND_CHECK_MACRO)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuindleConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES
    ${PROJECT_BINARY_DIR}/QuindleConfig.cmake
    ${PROJECT_BINARY_DIR}/QuindleConfigVersion.cmake
    ${QUINDLE_INSTALL_TEMPLATES}/Findlibdeflate.cmake
    DESTINATION ${QUINDLE_INSTALL_CMAKEDIR} COMPONENT development)
endfunction()
