// vale-tool given what it cannot use: a folder, a device or a pipe where a file should be, an
// empty or cut-short module, a script with nothing in it, sizes that overflow. Each is refused
// in one line with a clear exit code, at once, and never ends in an abort.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/tools/tool_run.h"

namespace {

using HostileInput = ToolTest;

// One line of output and the exit code, within `seconds`, with memory capped so that reading an
// endless input into memory fails fast instead of filling the machine.
Result Bounded(const std::string& args, int seconds = 30) {
  return Shell("ulimit -v 8000000; timeout " + std::to_string(seconds) + " " + VALE_TOOL + " " + args);
}

void ExpectRefused(const Result& r, int code, const std::string& needle, const std::string& args) {
  EXPECT_EQ(r.code, code) << args << "\n" << r.output;
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << args << "\n" << r.output;
  EXPECT_NE(r.output.find(needle), std::string::npos) << args << "\n" << r.output;
}

}  // namespace

TEST_F(HostileInput, AFolderADeviceOrAPipeIsNoInputFile) {
  const std::string fifo = Path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = Path("out");
  for (const std::string input : {dir.string(), std::string("/dev/zero"), fifo}) {
    for (const std::string& args : {"module-info " + input, "texture-script " + input + " " + out + ".png",
                                    "render-audio " + out + ".wav --module " + input,
                                    "export-xm " + out + ".xm --module " + input}) {
      SCOPED_TRACE(args);
      ExpectRefused(Bounded(args), 1, input, args);
    }
  }
  EXPECT_EQ(Others({"pipe"}), std::vector<std::string>{});
}

TEST_F(HostileInput, InputsWithNothingToPlayOrDrawAreRefused) {
  Put(dir / "empty.xm", "");
  Put(dir / "signature.xm", "Extended Module: ");
  Put(dir / "comments.txt", "# a script that only talks\n\n");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"export-xm " + Path("a.xm") + " --module " + Path("empty.xm"), "is empty"},
      {"export-xm " + Path("a.xm") + " --module " + Path("signature.xm"), "holds no song"},
      {"render-audio " + Path("a.wav") + " --module " + Path("signature.xm"), "holds no song"},
      {"texture-script " + Path("comments.txt") + " " + Path("a.png"), "holds no instructions"},
  };
  for (const auto& [args, needle] : cases) {
    SCOPED_TRACE(args);
    ExpectRefused(Bounded(args), 1, needle, args);
  }
  EXPECT_EQ(Others({"empty.xm", "signature.xm", "comments.txt"}), std::vector<std::string>{});
}

// Checked before any work: an overflowing size is not read as a small one, and a contact sheet
// too large to hold is refused before its frames are drawn.
TEST_F(HostileInput, SizesAreCheckedWhole) {
  for (const std::string& args : {"frame " + Path("a.png") + " --at 4.000 --size 4294967297x120",
                                   "capture " + Path("cap") + " --size 120x4294967297",
                                   "contact-sheet " + Path("a.png") + " --size 8192x8192"}) {
    SCOPED_TRACE(args);
    ExpectRefused(Bounded(args, 10), 2, "size", args);
  }
  EXPECT_TRUE(fs::is_empty(dir));
}
