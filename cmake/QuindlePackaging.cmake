# SPDX-License-Identifier: MIT
# The Debian packages, built by CPack from the install components:
#   libquindle2     runtime      the shared libraries
#   libquindle-dev  development  headers, static libraries, link names,
#                                CMake package, pkg-config modules
#   quindle         command      the quindle command, its manual page and
#                                its bash and zsh completion
# `make package` builds the libraries twice, static and shared, and packs
# both trees from the shared one: QUINDLE_PACKAGE_STATIC_BUILD names the
# static build tree, whose development component joins libquindle-dev.

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
  set(components runtime development command)
  set(packages libquindle2 libquindle-dev quindle)
  foreach(component package IN ZIP_LISTS components packages)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
      ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quindle)
set(CPACK_PACKAGE_VENDOR "The Quindle developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development command)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE quindle)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUINDLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libquindle2)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "file-transfer component for C++ - shared libraries
Quindle copies, moves or LZ-expands the files that its source entries
select, stamps their dates and attributes, can verify each copy by CRC-32,
and reports everything through events.
.
This package holds the shared libraries: the engine, the dialogs, the
platform layer and the console and scripted widgetsets.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libquindle-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "libquindle2 (= ${QUINDLE_DEB_VERSION}), libdeflate-dev, zlib1g-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "file-transfer component for C++ - development files
Quindle copies, moves or LZ-expands the files that its source entries
select, stamps their dates and attributes, can verify each copy by CRC-32,
and reports everything through events.
.
This package holds the headers, the static libraries, the CMake package
(find_package(Quindle)) and the pkg-config modules (quindle and others).")

set(CPACK_DEBIAN_COMMAND_PACKAGE_NAME quindle)
set(CPACK_DEBIAN_COMMAND_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_COMMAND_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMMAND_PACKAGE_DEPENDS "libquindle2 (= ${QUINDLE_DEB_VERSION})")
set(CPACK_DEBIAN_COMMAND_DESCRIPTION "copy, move or LZ-expand files with attribute filter and CRC-32 check
The quindle command copies files like cp, through the Quindle
file-transfer component: it chooses files by their attributes, stamps
each copy with the date and attributes of its source, can verify every
copy by CRC-32, expands LZ-compressed files, and reads and writes its
settings as form files.")

if(QUINDLE_PACKAGE_STATIC_BUILD)
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${QUINDLE_PACKAGE_STATIC_BUILD};${PROJECT_NAME};STATIC;/")
  # The component set "STATIC" of the second entry: its development files.
  set(CPACK_COMPONENTS_STATIC development)
endif()

include(CPack)
