# Warnings are on for every target of ours, and must stay clean on every toolchain.
# The test command's builds (scripts/build, build-windows, build-macos,
# build-aarch64) make them errors with TINTRA_WERROR, so that a new warning on
# any toolchain fails the run; a configure of one's own keeps them warnings
# unless asked.
option(TINTRA_WERROR "Treat compiler warnings in our own targets as errors" OFF)

function(tintra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TINTRA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# The colour results are fixed to the last place and then truncated to 8 or 16
# bits, so a contracted multiply-add or a relaxed maths mode becomes visible in
# the output. Never relax the floating-point model here: no fast-maths mode and
# no tuning for the build machine's own CPU.
function(tintra_colour_flags target)
  target_compile_options(${target} PRIVATE -ffp-contract=off)
endfunction()
