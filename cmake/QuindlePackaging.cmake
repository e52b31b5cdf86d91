# SPDX-License-Identifier: MIT
# The Debian packages, built by CPack from the install components:
#   libquindle2     runtime      the shared libraries
#   libquindle-dev  development  headers, static libraries, link names,
#                                CMake package, pkg-config modules
#   quindle         command      the quindle command, its manual page and
#                                its bash and zsh completion
#   quindle-designer designer    the design host and the component's
#                                design-time package (where Qt 6 is found)
# `make package` builds the libraries twice, static and shared, and packs
# both trees from the shared one: QUINDLE_PACKAGE_STATIC_BUILD names the
# static build tree, whose development component joins libquindle-dev.
#
# A program with a package of its own installs into a component of its own
# (quindle_install_program(<target> COMPONENT <component>)) and is described
# below with one more quindle_debian_package call.

set(QUINDLE_PACKAGE_MAINTAINER "The Quindle developers <developers@quindle.invalid>"
  CACHE STRING "Maintainer field of the Debian packages")
set(QUINDLE_PACKAGE_STATIC_BUILD "" CACHE PATH
  "A static build tree of the same sources, whose static libraries the packages hold too")
set(QUINDLE_DEB_VERSION ${PROJECT_VERSION}-1)

# Each package has the copyright and the changelog in /usr/share/doc/<package>.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(debian_docs ON)
else()
  set(debian_docs OFF)
endif()
option(QUINDLE_DEBIAN_DOCS "Install the copyright and changelog of each Debian package" ${debian_docs})
if(QUINDLE_DEBIAN_DOCS)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
    ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
    COMMAND gzip -9 -n -f -k changelog.Debian
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/packaging
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian
    VERBATIM)
  add_custom_target(quindle_debian_changelog ALL
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz)
endif()

# quindle_debian_package(<component> NAME <package> SECTION <section>
#   [DEPENDS <dependencies>] [SHLIBDEPS] DESCRIPTION <synopsis> <paragraph>...)
# The package of an install component. DEPENDS is added to what
# dpkg-shlibdeps finds when SHLIBDEPS is given.
macro(quindle_debian_package component)
  cmake_parse_arguments(package "SHLIBDEPS" "NAME;SECTION;DEPENDS" "DESCRIPTION" ${ARGN})
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package_NAME})
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${package_SECTION})
  set(CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS "${package_DEPENDS}")
  set(CPACK_DEBIAN_${upper}_PACKAGE_SHLIBDEPS ${package_SHLIBDEPS})
  list(JOIN package_DESCRIPTION "\n" CPACK_DEBIAN_${upper}_DESCRIPTION)
  if(QUINDLE_DEBIAN_DOCS)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
      ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package_NAME} COMPONENT ${component})
  endif()
endmacro()

set(about_quindle
  "Quindle copies, moves or LZ-expands the files that its source entries"
  "select, stamps their dates and attributes, can verify each copy by CRC-32,"
  "and reports everything through events.")

quindle_debian_package(runtime NAME libquindle2 SECTION libs SHLIBDEPS
  DESCRIPTION "file-transfer component for C++ - shared libraries" ${about_quindle} "."
  "This package holds the shared libraries: the engine, the dialogs, the"
  "platform layer and the console and scripted widgetsets.")

# The loader's cache is brought up to date by libc's trigger. (CPack also
# adds maintainer scripts that call ldconfig, which lintian warns of.)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)

quindle_debian_package(development NAME libquindle-dev SECTION libdevel
  DEPENDS "libquindle2 (= ${QUINDLE_DEB_VERSION}), libdeflate-dev, zlib1g-dev"
  DESCRIPTION "file-transfer component for C++ - development files" ${about_quindle} "."
  "This package holds the headers, the static libraries, the CMake package"
  "(find_package(Quindle)) and the pkg-config modules (quindle and others).")

quindle_debian_package(command NAME quindle SECTION utils SHLIBDEPS
  DEPENDS "libquindle2 (= ${QUINDLE_DEB_VERSION})"
  DESCRIPTION "copy, move or LZ-expand files with attribute filter and CRC-32 check"
  "The quindle command copies files like cp, through the Quindle"
  "file-transfer component: it chooses files by their attributes, stamps"
  "each copy with the date and attributes of its source, can verify every"
  "copy by CRC-32, expands LZ-compressed files, and reads and writes its"
  "settings as form files.")

if(TARGET quindle-designer)
  quindle_debian_package(designer NAME quindle-designer SECTION devel SHLIBDEPS
    DEPENDS "libquindle2 (= ${QUINDLE_DEB_VERSION})"
    DESCRIPTION "design host for Quindle component packages"
    "quindle-designer loads design-time component packages and shows their"
    "palette pages, a form to put components on and an object inspector;"
    "forms are saved as text form files that the quindle command runs. The"
    "package holds the component's own design-time package too.")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quindle)
set(CPACK_PACKAGE_VENDOR "The Quindle developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/strip.cmake)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE quindle)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUINDLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg-shlibdeps finds the package's own libraries in the build tree; the
# dependency on libquindle2 is declared above.
get_property(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS GLOBAL PROPERTY QUINDLE_SHARED_LIBRARY_DIRS)

if(QUINDLE_PACKAGE_STATIC_BUILD)
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${QUINDLE_PACKAGE_STATIC_BUILD};${PROJECT_NAME};STATIC;/")
  # The component set "STATIC" of the second entry: its development files.
  set(CPACK_COMPONENTS_STATIC development)
endif()

include(CPack)
