// geometry/failure.h: how geometry reports a failure the viewer should hear about (a mesh
// whose vertex store cannot be had). Geometry carries on afterwards; the shell decides how
// the message is shown by installing its own hook.
#pragma once

using GeometryFailureHook = void (*)(const char* text, const char* caption);

// Null restores the default, which writes "caption: text" to stderr.
void SetGeometryFailureHook(GeometryFailureHook hook);
void ReportGeometryFailure(const char* text, const char* caption);
