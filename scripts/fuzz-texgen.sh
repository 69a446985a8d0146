#!/usr/bin/env bash
# Builds the texture-script fuzzer with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it on a working copy of the committed corpus.
#   scripts/fuzz-texgen.sh [SECONDS]      (default 600)
# New finds go to build-fuzz/corpus; merge the useful ones back with
#   build-fuzz/texgen_fuzz -merge=1 tests/texgen/fuzz/corpus build-fuzz/corpus
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build-fuzz
mkdir -p "$out/corpus"
cxx=${CLANGXX:-clang++-14}
sources=(texgen/generator.cpp texgen/ops_generate.cpp texgen/ops_filter.cpp texgen/ops_distort.cpp
         texgen/script_format.cpp texgen/script_text.cpp texgen/texture_cache.cpp texgen/tone_table.cpp
         tests/texgen/fuzz/fuzz_input.cpp tests/texgen/fuzz/texgen_fuzz.cpp)
"$cxx" -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  "${sources[@]}" -o "$out/texgen_fuzz"
cp -n tests/texgen/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
"$out/texgen_fuzz" "$out/corpus" -max_total_time="$seconds" -max_len=9000 -timeout=20 -rss_limit_mb=2048 \
  -print_final_stats=1
