# tintra-pipl, the property-list generator, built with the machine's own C++
# compiler even when the plug-in is cross-compiled, and run at build time so the
# resources always carry the identity from effect/identity.h.
#
#   include(<repo>/resources/PiplGenerator.cmake)
#   tintra_pipl(windows ${CMAKE_CURRENT_BINARY_DIR}/pipl.bin)   # or macos
#
# The output can then be listed as a source or DEPENDS of a target in the same
# directory as the tintra_pipl() call.
include_guard(GLOBAL)

get_filename_component(TINTRA_PIPL_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
find_program(TINTRA_HOST_CXX NAMES c++ g++ clang++ REQUIRED
  DOC "The C++ compiler of the build machine, for tools that run during the build")

set(TINTRA_PIPL_GENERATOR "${CMAKE_BINARY_DIR}/host-tools/tintra-pipl")
set(TINTRA_PIPL_GENERATOR_SOURCES
  "${TINTRA_PIPL_ROOT}/resources/pipl_generator.cpp"
  "${TINTRA_PIPL_ROOT}/resources/pipl_bytes.cpp")

add_custom_command(
  OUTPUT "${TINTRA_PIPL_GENERATOR}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host-tools"
  COMMAND "${TINTRA_HOST_CXX}" -std=c++17 -O1 -Wall -Wextra -Wpedantic
          "-I${TINTRA_PIPL_ROOT}" ${TINTRA_PIPL_GENERATOR_SOURCES} -o "${TINTRA_PIPL_GENERATOR}"
  DEPENDS ${TINTRA_PIPL_GENERATOR_SOURCES}
          "${TINTRA_PIPL_ROOT}/resources/pipl_bytes.h"
          "${TINTRA_PIPL_ROOT}/effect/identity.h"
  COMMENT "Building tintra-pipl for the build machine"
  VERBATIM)
add_custom_target(tintra_pipl_generator DEPENDS "${TINTRA_PIPL_GENERATOR}")

# tintra_pipl(<windows|macos> <output file>)
function(tintra_pipl platform output)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${TINTRA_PIPL_GENERATOR}" --platform ${platform} -o "${output}"
    DEPENDS tintra_pipl_generator "${TINTRA_PIPL_GENERATOR}"
    COMMENT "Writing the ${platform} property list"
    VERBATIM)
endfunction()
