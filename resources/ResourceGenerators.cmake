# The resource generators, built with the machine's own C++ compiler even when
# the plug-in is cross-compiled, and run at build time so the resources always
# carry the identity from effect/identity.h:
#   tintra-pipl         the property list the host reads (Windows and macOS)
#   tintra-versioninfo  the Windows version resource, which the host does not read
#
#   include(<repo>/resources/ResourceGenerators.cmake)
#   tintra_pipl(windows ${CMAKE_CURRENT_BINARY_DIR}/pipl.bin)   # or macos
#   tintra_version_info(${CMAKE_CURRENT_BINARY_DIR}/version.rc)
#
# The outputs can then be listed as a source or DEPENDS of a target in the same
# directory as the calls.
include_guard(GLOBAL)

get_filename_component(TINTRA_RESOURCES_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
find_program(TINTRA_HOST_CXX NAMES c++ g++ clang++ REQUIRED
  DOC "The C++ compiler of the build machine, for tools that run during the build")

# tintra_host_tool(<name> <target> <source>...): builds host-tools/<name> for
# the build machine, as the custom target <target>.
function(tintra_host_tool name target)
  set(program "${CMAKE_BINARY_DIR}/host-tools/${name}")
  set(sources ${ARGN})
  list(TRANSFORM sources PREPEND "${TINTRA_RESOURCES_ROOT}/")
  add_custom_command(
    OUTPUT "${program}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host-tools"
    COMMAND "${TINTRA_HOST_CXX}" -std=c++17 -O1 -Wall -Wextra -Wpedantic
            "-I${TINTRA_RESOURCES_ROOT}" ${sources} -o "${program}"
    DEPENDS ${sources}
            "${TINTRA_RESOURCES_ROOT}/resources/pipl_bytes.h"
            "${TINTRA_RESOURCES_ROOT}/effect/identity.h"
            "${TINTRA_RESOURCES_ROOT}/effect/strings.h"
    COMMENT "Building ${name} for the build machine"
    VERBATIM)
  add_custom_target(${target} DEPENDS "${program}")
endfunction()

tintra_host_tool(tintra-pipl tintra_pipl_generator
  resources/pipl_generator.cpp resources/pipl_bytes.cpp)
tintra_host_tool(tintra-versioninfo tintra_version_info_generator
  resources/version_info_generator.cpp effect/strings.cpp)

# tintra_pipl(<windows|macos> <output file>)
function(tintra_pipl platform output)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_BINARY_DIR}/host-tools/tintra-pipl" --platform ${platform} -o "${output}"
    DEPENDS tintra_pipl_generator "${CMAKE_BINARY_DIR}/host-tools/tintra-pipl"
    COMMENT "Writing the ${platform} property list"
    VERBATIM)
endfunction()

# tintra_version_info(<output file>): the VERSIONINFO statement for a .rc file.
function(tintra_version_info output)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_BINARY_DIR}/host-tools/tintra-versioninfo" -o "${output}"
    DEPENDS tintra_version_info_generator "${CMAKE_BINARY_DIR}/host-tools/tintra-versioninfo"
    COMMENT "Writing the version resource"
    VERBATIM)
endfunction()
