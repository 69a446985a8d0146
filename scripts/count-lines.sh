#!/usr/bin/env bash
# Counts the non-blank lines of product code and of tests and prints their ratio; the suite
# should stay at about a quarter to a third of the code.
#   code:  C/C++ sources and headers in shell/ music/ texgen/ geometry/ scenes/ platform/
#          tools/ data/ (benchmarks, CMake files, scripts and data files are not counted)
#   tests: C/C++ sources, headers and shell scripts under tests/
# Usage: scripts/count-lines.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.sh' \) -print0 |
    xargs -0 cat | grep -cv '^[[:space:]]*$' || true
}

code=$(count shell music texgen geometry scenes platform tools data)
tests=$(count tests)
echo "code lines:  $code"
echo "test lines:  $tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests/code:  %.2f\n", t / c }'
