// vale-tool: the demo's workbench. Each command lives in its own cmd_*.cpp.
#include <cstdio>
#include <exception>
#include <new>
#include <cstring>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "tools/tool.h"

static void PrintHelp() {
  std::printf("usage: vale-tool COMMAND [ARGS...]\n\ncommands:\n");
  for (const ToolCommand& c : ToolCommands()) std::printf("  %-14s %s\n                 %s\n", c.name, c.usage, c.summary);
}

static int RunCommand(const ToolCommand& c, const std::vector<std::string>& args) {
  // Whatever goes wrong ends in one line and exit code 1, never in an abort: the temporary
  // files of an output in progress are removed by their owners' destructors on the way out.
  try {
    return c.run(args);
  } catch (const std::bad_alloc&) {
    return ToolFail("out of memory");
  } catch (const std::exception& e) {
    return ToolFail(e.what());
  } catch (...) {
    return ToolFail("unexpected failure");
  }
}

int main(int argc, char** argv) {
  InstallInterruptCleanup();
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
    return RunCommand(c, args);
  }
  std::fprintf(stderr, "vale-tool: unknown command '%s' (try vale-tool --help)\n", argv[1]);
  return 2;
}
