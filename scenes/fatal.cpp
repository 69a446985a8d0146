// scenes/fatal.cpp: the fatal service and its stderr default.
#include "scenes/fatal.h"

#include <cstdio>
#include <cstdlib>

namespace {
void WriteAndExit(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::exit(1);
}
SceneFatalService fatalService = WriteAndExit;
}  // namespace

void SetSceneFatalService(SceneFatalService service) { fatalService = service ? service : WriteAndExit; }

void EndProgramFromScene(const char* text, const char* caption) { fatalService(text, caption); }
