// vale-tool: the demo's workbench. Each command lives in its own cmd_*.cpp.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/tool.h"

static void PrintHelp() {
  std::printf("usage: vale-tool COMMAND [ARGS...]\n\ncommands:\n");
  for (const ToolCommand& c : ToolCommands()) std::printf("  %-14s %s\n                 %s\n", c.name, c.usage, c.summary);
}

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
    PrintHelp();
    return argc < 2 ? 2 : 0;
  }
  for (const ToolCommand& c : ToolCommands()) {
    if (std::strcmp(c.name, argv[1]) != 0) continue;
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& a : args)
      if (a == "--help" || a == "-h") {
        std::printf("usage: vale-tool %s %s\n%s\n", c.name, c.usage, c.summary);
        return 0;
      }
    return c.run(args);
  }
  std::fprintf(stderr, "vale-tool: unknown command '%s' (try vale-tool --help)\n", argv[1]);
  return 2;
}
