# Warnings are on for every target of ours, and must stay clean on every toolchain.
function(tintra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# The colour results are fixed to the last place and then truncated to 8 or 16
# bits, so a contracted multiply-add or a relaxed maths mode becomes visible in
# the output. Never relax the floating-point model here: no fast-maths mode and
# no tuning for the build machine's own CPU.
function(tintra_colour_flags target)
  target_compile_options(${target} PRIVATE -ffp-contract=off)
endfunction()
