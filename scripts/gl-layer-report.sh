#!/usr/bin/env bash
# The GL layer's measure: every frame of the contact sheet (one per span of the schedule, two of
# the end text) drawn at 640 x 480 through the ES 3 layer and through desktop GL, and the mean
# absolute difference per channel (levels of 255) of each pair. Fails when one exceeds 2.
#   scripts/gl-layer-report.sh BUILD_DIR [WxH]
set -uo pipefail
build=${1:?build dir}
size=${2:-640x480}
out=$(VALE_GL_COMPARE_SIZE=$size "$build/bin/tool_gl_layer_tests" --gtest_brief=1 2>&1)
status=$?
grep -E '^frame|Failure|Expected|Which is' <<<"$out"
exit $status
