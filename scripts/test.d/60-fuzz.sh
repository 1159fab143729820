#!/usr/bin/env bash
# Runs each fuzz target for a bounded time (TINTRA_FUZZ_SECONDS, default 30)
# with libFuzzer from clang-19, starting from the seed corpus in
# tests/fuzz/corpus, with AddressSanitizer and UndefinedBehaviorSanitizer in
# everything it executes (the plug-in library included). Any finding (a
# crash, a sanitizer report, a broken property, a hang, a leak) fails the
# stage; the input that caused it is kept in build/fuzz/findings/<target>/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TINTRA_FUZZ_BUILD:-$root/build/fuzz}"
seconds="${TINTRA_FUZZ_SECONDS:-30}"
corpus="$root/tests/fuzz/corpus"

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
link_flags="-fsanitize=address,undefined"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTRA_BENCH=OFF -DTINTRA_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang-19 -DCMAKE_CXX_COMPILER=clang++-19 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$link_flags" -DCMAKE_SHARED_LINKER_FLAGS="$link_flags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$link_flags" >/dev/null

# target:corpus directory
targets=(fuzz_pixel:pixel fuzz_effect:effect fuzz_image:image)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]%%:*}"

if [ -x /usr/lib/llvm-19/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-19/bin/llvm-symbolizer
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
for entry in "${targets[@]}"; do
  target="${entry%%:*}"
  name="${entry##*:}"
  # A fresh working corpus each run: the stored seeds stay as they are, and
  # every run does the same bounded amount of work from the same start.
  work="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/$target.log"
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  if "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$corpus/$name" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    echo "60-fuzz: $target: ${runs:-?} inputs in ${seconds} s, no finding" >&2
  else
    echo "60-fuzz: $target FOUND A FAULT; input kept in $findings, log $log:" >&2
    tail -n 60 "$log" >&2
    failed=1
  fi
done
exit "$failed"
