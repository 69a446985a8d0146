#!/usr/bin/env bash
# Digest of a whole-run capture by decoded content, for proving that a change leaves the output
# alone: captures the run at 32x24 with --exact into a folder and prints one hash of every
# frame's decoded RGB pixels and one of the soundtrack's decoded samples.
#   scripts/capture-digest.sh BUILD_DIR OUT_DIR      (OUT_DIR is made or replaced)
set -euo pipefail
build=${1:?build dir}
out=${2:?output folder}
rm -rf "$out"
"$build/bin/vale-tool" capture "$out" --size 32x24 --exact >/dev/null 2>"$out.log" || { cat "$out.log" >&2; exit 1; }
frames=$(ls "$out" | grep -c '^frame_')
pixels=$(ffmpeg -loglevel error -i "$out/frame_%06d.png" -f rawvideo -pix_fmt rgb24 - | sha256sum | cut -d' ' -f1)
samples=$(ffmpeg -loglevel error -i "$out/soundtrack.wav" -f s16le - | sha256sum | cut -d' ' -f1)
echo "frames $frames"
echo "pixels $pixels"
echo "samples $samples"
