// scenes/fatal.cpp: the fatal service's slot and its default.
#include "scenes/fatal.h"

#include <cstdlib>

namespace {
void WriteAndExit(const char* text, const char* caption) {
  WriteFailureToStderr(text, caption);
  std::exit(1);
}
FailureHookSlot fatalService{WriteAndExit};
}  // namespace

void SetSceneFatalService(SceneFatalService service) { fatalService.Install(service); }

void EndProgramFromScene(const char* text, const char* caption) { fatalService.Report(text, caption); }
