// What vale-tool leaves on disk when a write fails or the run is cut short: the file that was
// there before, exactly, and nothing else. A full disk is played by a file-size limit with
// SIGXFSZ ignored, so a write past the limit fails with EFBIG as it would with ENOSPC.
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/tool_run.h"

namespace {

using OutputSafety = ToolTest;

// Runs vale-tool with every file it writes limited to `kib` KiB.
Result ToolWithFileLimit(const std::string& args, int kib) {
  return Shell("trap '' XFSZ; ulimit -f " + std::to_string(kib) + "; " + VALE_TOOL + " " + args);
}

// Alive and not yet a zombie.
bool Running(pid_t pid) {
  const std::string stat = Bytes("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = stat.rfind(')');
  return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

// vale-tool as our own child, its output in `log`.
pid_t StartTool(const std::string& args, const std::string& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string command = std::string("exec ") + VALE_TOOL + " " + args + " >" + log + " 2>&1";
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

}  // namespace

TEST_F(OutputSafety, AFailedWriteKeepsTheOldFileAndLeavesNoOther) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"frame.png", "frame {} --at 4.000 --size 320x240"},
      {"song.wav", "render-audio {}"},
      {"song.xm", "export-xm {}"},
      {"sphere.obj", "sphere {} --segments 400 --rings 200"},
      {"video.mp4", "capture {} --size 160x120 --from 4.000 --to 5.000"},
  };
  for (const auto& [name, command] : cases) {
    SCOPED_TRACE(command);
    const std::string old = "the earlier " + name;
    Put(dir / name, old);
    std::string args = command;
    args.replace(args.find("{}"), 2, Path(name));
    const Result r = ToolWithFileLimit(args, 8);
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_NE(r.output.find(Path(name)), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("File too large"), std::string::npos) << r.output;
    EXPECT_EQ(Bytes(dir / name), old);
    EXPECT_EQ(Others({"frame.png", "song.wav", "song.xm", "sphere.obj", "video.mp4"}), std::vector<std::string>{});
  }
}

// A failed write never removes what it was asked to write over: a device node stays a device,
// a folder stays a folder, and neither is written.
TEST_F(OutputSafety, ATargetThatIsNoRegularFileIsRefused) {
  const std::string device = Path("full");  // writes to it fail, as on a full disk
  const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
  fs::create_directories(dir / "folder.obj");
  std::vector<std::string> commands = {"sphere " + Path("folder.obj"), "frame " + Path("folder.obj") + " --at 4.000"};
  if (haveDevice) commands.insert(commands.end(), {"frame " + device + " --at 4.000 --size 32x24", "render-audio " + device});
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const Result r = Tool(command);
    EXPECT_NE(r.code, 0) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  }
  struct stat st {};
  if (haveDevice) EXPECT_TRUE(stat(device.c_str(), &st) == 0 && S_ISCHR(st.st_mode));
  EXPECT_TRUE(fs::is_directory(dir / "folder.obj") && fs::is_empty(dir / "folder.obj"));
  EXPECT_EQ(Others({"full", "folder.obj"}), std::vector<std::string>{});
}

// Interrupted captures: the encoder is stopped, no temporary file stays, the earlier video is
// kept whole, and a folder capture takes back the folder it made. Names at the length limit
// still work, since temporary names are short ones of their own.
TEST_F(OutputSafety, AnInterruptedCaptureLeavesNothingBehind) {
  const std::string video = Path(std::string(251, 'v') + ".mp4");
  const Result first = Tool("capture " + video + " --size 32x24 --from 4.000 --to 4.004");
  ASSERT_EQ(first.code, 0) << first.output;
  const std::string kept = Bytes(video);

  struct Case {
    std::string args;
    int signal;
  };
  for (const Case& c : {Case{video + " --size 160x120 --from 4.000 --to 30.000", SIGTERM},
                        Case{Path("frames") + " --size 160x120 --from 4.000 --to 30.000", SIGINT},
                        Case{video + " --size 160x120 --from 4.000 --to 30.000", SIGHUP}}) {
    SCOPED_TRACE(c.args);
    const pid_t tool = StartTool("capture " + c.args, Path("log"));
    // Wait until frames flow: the encoder runs, or frames are in the folder.
    const bool toFolder = c.args.find("frames") != std::string::npos;
    pid_t encoder = 0;
    for (int i = 0; i < 1200 && Running(tool); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (toFolder && fs::exists(Path("frames/frame_000010.png"))) break;
      const std::string child = Shell("pgrep -P " + std::to_string(tool)).output;
      if (!toFolder && !child.empty()) {
        encoder = static_cast<pid_t>(std::stol(child));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // frames on their way
        break;
      }
    }
    ASSERT_TRUE(Running(tool)) << Bytes(Path("log"));
    kill(tool, c.signal);
    int status = 0;
    ASSERT_EQ(waitpid(tool, &status, 0), tool);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + c.signal) << status;
    const std::string log = Bytes(Path("log"));
    if (!toFolder) {
      ASSERT_NE(encoder, 0) << log;
      EXPECT_FALSE(Running(encoder)) << "the encoder outlived the capture";
    }
    EXPECT_EQ(Bytes(video), kept);
    EXPECT_EQ(Others({video.substr(video.rfind('/') + 1), "log"}), std::vector<std::string>{}) << log;
  }
}

TEST_F(OutputSafety, AFolderCaptureDoesNotMixWithAnEarlierOne) {
  const std::string range = " --size 32x24 --from 4.000 --to 4.020";
  ASSERT_EQ(Tool("capture " + Path("cap") + range).code, 0);
  const size_t earlier = std::distance(fs::directory_iterator(dir / "cap"), fs::directory_iterator());

  const Result refused = Tool("capture " + Path("cap") + " --size 32x24 --from 4.000 --to 4.004");
  EXPECT_EQ(refused.code, 2) << refused.output;
  EXPECT_NE(refused.output.find("--overwrite"), std::string::npos) << refused.output;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "cap"), fs::directory_iterator()), earlier);

  const Result replaced = Tool("capture " + Path("cap") + " --size 32x24 --from 4.000 --to 4.004 --overwrite");
  ASSERT_EQ(replaced.code, 0) << replaced.output;
  const size_t now = std::distance(fs::directory_iterator(dir / "cap"), fs::directory_iterator());
  EXPECT_LT(now, earlier);
  EXPECT_EQ(Tool("capture " + Path("short") + " --size 32x24 --from 4.000 --to 4.004").code, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "short"), fs::directory_iterator()), now);

  // No renderer, no folder.
  const Result noGl = Tool("capture " + Path("nogl") + " --size 32x24", "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent");
  EXPECT_EQ(noGl.code, 1) << noGl.output;
  EXPECT_FALSE(fs::exists(dir / "nogl"));

  // A frame that cannot be written stops the capture and takes back everything it wrote.
  const Result full = ToolWithFileLimit("capture " + Path("full") + " --size 640x480 --from 4.000 --to 4.002", 80);
  EXPECT_EQ(full.code, 1) << full.output;
  EXPECT_EQ(std::count(full.output.begin(), full.output.end(), '\n'), 1) << full.output;
  EXPECT_FALSE(fs::exists(dir / "full"));
}
