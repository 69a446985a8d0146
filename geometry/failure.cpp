// geometry/failure.cpp: the failure hook and its stderr default.
#include "geometry/failure.h"

#include <cstdio>

namespace {
void WriteFailureToStderr(const char* text, const char* caption) { std::fprintf(stderr, "%s: %s\n", caption, text); }
GeometryFailureHook failureHook = WriteFailureToStderr;
}  // namespace

void SetGeometryFailureHook(GeometryFailureHook hook) { failureHook = hook ? hook : WriteFailureToStderr; }

void ReportGeometryFailure(const char* text, const char* caption) { failureHook(text, caption); }
