// geometry/failure.cpp: the stderr default and geometry's hook slot.
#include "geometry/failure.h"

#include <cstdio>

namespace {
FailureHookSlot geometryHook{WriteFailureToStderr};
}  // namespace

void WriteFailureToStderr(const char* text, const char* caption) { std::fprintf(stderr, "%s: %s\n", caption, text); }

void SetGeometryFailureHook(GeometryFailureHook hook) { geometryHook.Install(hook); }

void ReportGeometryFailure(const char* text, const char* caption) { geometryHook.Report(text, caption); }
