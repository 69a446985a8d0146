// geometry/failure.h: how the layers below the shell report a failure the viewer should hear
// about without knowing how the program shows it: each keeps a hook slot with a default, and the
// shell installs its own hooks. Geometry's hook is for a mesh whose vertex store cannot be had;
// geometry carries on afterwards.
#pragma once

using FailureHook = void (*)(const char* text, const char* caption);

// One replaceable hook: the installed one, or the default while none is (null restores it).
struct FailureHookSlot {
  FailureHook fallback;
  FailureHook installed = nullptr;
  void Install(FailureHook hook) { installed = hook; }
  void Report(const char* text, const char* caption) const { (installed ? installed : fallback)(text, caption); }
};

// Writes "caption: text" to stderr: the plain report every default starts from.
void WriteFailureToStderr(const char* text, const char* caption);

using GeometryFailureHook = FailureHook;
void SetGeometryFailureHook(GeometryFailureHook hook);
void ReportGeometryFailure(const char* text, const char* caption);
