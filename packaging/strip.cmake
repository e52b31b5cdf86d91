# SPDX-License-Identifier: MIT
# Run by CPack on the staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS),
# stripping as Debian's dh_strip does: debugging information off the static
# libraries, the symbols the loader does not need off the shared libraries
# and modules,
# all symbols off the programs, and the .comment and .note sections off all.
find_program(strip NAMES strip REQUIRED)
file(GLOB_RECURSE archives "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.a")
file(GLOB_RECURSE libraries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.so.*")
# Loadable modules (the designer's packages) are named without a version.
file(GLOB_RECURSE modules "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.so")
list(FILTER modules INCLUDE REGEX "/quindle/[^/]+\\.so$")
list(APPEND libraries ${modules})
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER programs INCLUDE REGEX "/bin/[^/]+$")

function(strip_files)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "FILES;OPTIONS")
  foreach(file IN LISTS arg_FILES)
    if(IS_SYMLINK "${file}")
      continue()
    endif()
    execute_process(COMMAND ${strip} ${arg_OPTIONS} --remove-section=.comment
                            --remove-section=.note "${file}"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "strip failed on ${file}")
    endif()
  endforeach()
endfunction()

strip_files(FILES ${archives} OPTIONS --strip-debug --enable-deterministic-archives)
strip_files(FILES ${libraries} OPTIONS --strip-unneeded)
strip_files(FILES ${programs})
