// vale: the entry point.
#include <cstdio>
#include <string>
#include <vector>

#include "shell/program.h"
#include "shell/viewer.h"
#include "shell/viewer_options.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  ViewerOptions options;
  std::string error;
  switch (ParseViewerArgs(args, options, error)) {
    case ViewerArgs::Help: std::fputs(ViewerUsage().c_str(), stdout); return 0;
    case ViewerArgs::Error: std::fprintf(stderr, "vale: %s\n", error.c_str()); return 2;
    case ViewerArgs::Run: break;
  }
  SetViewerOptions(options);
  return RunProgram();
}
