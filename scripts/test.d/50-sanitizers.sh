#!/usr/bin/env bash
# The unit and integration tests again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (build/asan), and the multi-threaded render
# tests built with ThreadSanitizer (build/tsan). Each build instruments all it
# compiles, the plug-in library that the tests load included, and every
# finding fails the stage.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
asan_build="${TINTRA_ASAN_BUILD:-$root/build/asan}"
tsan_build="${TINTRA_TSAN_BUILD:-$root/build/tsan}"
jobs="$(nproc)"

# The colour code keeps its own -ffp-contract=off (added per target), so the
# sanitizer builds compute the same pixels as the release build.
configure() {
  local dir="$1" flags="$2"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTRA_BENCH=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$flags" >/dev/null
}

# gcc 12's sanitizer runtimes predate kernels that randomise mmap with more
# bits than they expect ("unexpected memory mapping"); where the system lets
# us, the test programs (also when the build lists their tests) run with
# address randomisation off, which avoids that.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
  norandom=(setarch "$(uname -m)" -R)
fi

echo "50-sanitizers: AddressSanitizer + UndefinedBehaviorSanitizer in $asan_build" >&2
configure "$asan_build" "-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"${norandom[@]}" cmake --build "$asan_build" -j "$jobs"
"${norandom[@]}" ctest --test-dir "$asan_build" --output-on-failure -j "$jobs"

echo "50-sanitizers: ThreadSanitizer in $tsan_build" >&2
configure "$tsan_build" "-fsanitize=thread -fno-omit-frame-pointer"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
# The programs with renders or hosts on several threads at once, and in them
# the tests that run several threads (the OFX plug-in's careless hosts and
# aborted frame among them: runs of rows claimed across threads); and all of tintra's tests, whose tool
# decodes, renders and encodes on threads of its own (a finding in the tool
# fails the test that ran it: its exit status is then TSan's 66).
tsan_targets=(tintra_plugin tintra_reliability_concurrency_tests integration_tests aehost_tests ofx_plugin_tests tintra_tool_tests)
threaded_tests='^Concurrency/|Concurrent|HostConcurrency|IterateRowsThreads|OfxPlugin.WindowsTilesAndComponents|CarelessHost|OfxAbort'
"${norandom[@]}" cmake --build "$tsan_build" -j "$jobs" --target "${tsan_targets[@]}"
"${norandom[@]}" ctest --test-dir "$tsan_build" --output-on-failure --no-tests=error -j "$jobs" -R "$threaded_tests"
# OpenImageIO is not instrumented: races whose stacks are in it are its own
# thread pool's hand-offs (tests/tools/tintra/tsan.supp). Of tintra's tests,
# the tables whose runs take the pipeline's every hand-off (sequences and
# batches, both builds, colour routes, parts and layers, sheets, damaged
# inputs, interrupts, existing outputs); the rest differ only in what is read
# or said, and take the same threads through the same code.
tintra_threaded='Sequence/|Batch|Interrupt|Builds|ColorRoute|Parts|Layers|Sheet|Windows|Damaged/|Settings/Render|Options/Switches|Naming'
TSAN_OPTIONS="$TSAN_OPTIONS:suppressions=$root/tests/tools/tintra/tsan.supp" \
  "${norandom[@]}" ctest --test-dir "$tsan_build" --output-on-failure --no-tests=error -j "$jobs" -L tintra_tool \
  -R "$tintra_threaded"
