#!/usr/bin/env bash
# The Windows build must compute what the Linux build computes: the same textures, synthesised
# samples and mixed song. Runs both builds' vale-fingerprint (the Windows one under Wine) and
# compares their output line by line; the lines that differ name the textures, samples or stretch
# of the song that came out differently.
# usage: fingerprint_compare.sh NATIVE_FINGERPRINT WINDOWS_FINGERPRINT EMULATOR...
set -u
native=$1 windows=$2
shift 2
[ -x "$native" ] || { echo "FAIL: no native fingerprint at $native (build it in the native build)"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$native" >"$out/linux.txt" || { echo "FAIL: the native fingerprint failed"; exit 1; }
"$@" "$windows" | tr -d '\r' >"$out/windows.txt"
[ "${PIPESTATUS[0]}" = 0 ] || { echo "FAIL: the Windows fingerprint failed"; cat "$out/windows.txt"; exit 1; }
lines=$(wc -l <"$out/linux.txt")
[ "$lines" -gt 30 ] || { echo "FAIL: the native fingerprint printed only $lines lines"; exit 1; }
if ! diff "$out/linux.txt" "$out/windows.txt" >"$out/diff.txt"; then
  echo "FAIL: $(grep -c '^<' "$out/diff.txt") of $lines lines differ (< Linux, > Windows):"
  cat "$out/diff.txt"
  exit 1
fi
echo "ok: $lines lines identical"
