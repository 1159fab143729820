#!/usr/bin/env bash
# tintra stopped by SIGTERM at hundreds of moments of a run, once or twice
# each time: no temporary file may be left at any of them. The unit tests run
# a few rounds; this stage runs many (in build/linux, built by scripts/test).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
tests="$root/build/linux/tests/tools/tintra/tintra_tool_tests"
[ -x "$tests" ] || { echo "45-tintra-signals: $tests is not built" >&2; exit 1; }
TINTRA_SIGNAL_ROUNDS="${TINTRA_SIGNAL_ROUNDS:-300}" "$tests" --gtest_filter='InterruptRace.*'
