// frame and capture as a user runs them: a captured frame is the frame `frame --at` draws, bit
// for bit; captures repeat exactly, their soundtracks are cut to the sample; bad input is
// refused before any work; a failing ffmpeg leaves no file that looks complete.
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/tool_run.h"

namespace {


// The frame index `frame --at` reports ("...: frame N at ...").
long long FrameIndex(const std::string& output) {
  std::smatch m;
  return std::regex_search(output, m, std::regex(": frame (\\d+) at ")) ? std::stoll(m[1]) : -1;
}

using CaptureTool = ToolTest;

}  // namespace

// Across cuts from the cube field into the short spans of order 12 (the ring tube at 12.016): the
// capture draws every frame, the quick `frame --at` passes over most of them at a tiny size, and
// both must give the same pixels.
TEST_F(CaptureTool, CapturedFramesAreTheFramesFrameAtDraws) {
  const std::string size = " --size 96x72";
  Result c = Tool("capture " + Path("cap") + " --from 11.060 --to 12.050" + size + " --exact");
  ASSERT_EQ(c.code, 0) << c.output;
  Result start = Tool("frame " + Path("start.png") + " --at 11.060" + size + " --exact");
  ASSERT_EQ(start.code, 0) << start.output;
  const long long first = FrameIndex(start.output);
  ASSERT_GE(first, 0) << start.output;
  for (const char* at : {"11.061", "12.002", "12.010", "12.016", "12.042"}) {
    SCOPED_TRACE(at);
    Result f = Tool("frame " + Path("f.png") + " --at " + at + size);
    ASSERT_EQ(f.code, 0) << f.output;
    const long long k = FrameIndex(f.output);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lld.png", k - first);
    const Image captured = ReadPng(dir / "cap" / name), drawn = ReadPng(dir / "f.png");
    EXPECT_EQ((std::array{captured.width, captured.height}), (std::array{96, 72})) << name;
    EXPECT_TRUE(captured.rgb == drawn.rgb) << "capture frame " << name << " differs from frame --at " << at;
  }
  // The first frame is the one drawn at --from.
  EXPECT_TRUE(ReadPng(dir / "cap" / "frame_000000.png").rgb == ReadPng(dir / "start.png").rgb);
}

// Supersampling is the plain mean of each 2 x 2 block of the frame drawn twice as large, to the
// last bit (rounded to the nearest, a half upwards); a capture's supersampled frame is the same.
TEST_F(CaptureTool, SupersampledFramesAreBlockMeansOfTheLargerFrame) {
  constexpr int kW = 80, kH = 60;
  for (const char* at : {"12.016", "17.010"}) {
    SCOPED_TRACE(at);
    Result large = Tool("frame " + Path("large.png") + " --at " + at + " --size 160x120");
    ASSERT_EQ(large.code, 0) << large.output;
    Result small = Tool("frame " + Path("ss.png") + " --at " + at + " --size 80x60 --supersample 2");
    ASSERT_EQ(small.code, 0) << small.output;
    const Image big = ReadPng(dir / "large.png"), ss = ReadPng(dir / "ss.png");
    ASSERT_EQ((std::array{big.width, big.height, ss.width, ss.height}), (std::array{2 * kW, 2 * kH, kW, kH}));
    int mismatches = 0, rounded = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int c = 0; c < 3; ++c) {
          int sum = 0;
          for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) sum += big.rgb[((2 * y + dy) * 2 * kW + 2 * x + dx) * 3 + c];
          mismatches += ss.rgb[(y * kW + x) * 3 + c] != (sum + 2) / 4;
          rounded += sum % 4 != 0;
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(rounded, 100) << "too few blocks whose mean is not whole: the frame shows too little";
  }
  Result c = Tool("capture " + Path("cap") + " --from 17.010 --to 17.012 --size 80x60 --supersample 2");
  ASSERT_EQ(c.code, 0) << c.output;
  EXPECT_TRUE(ReadPng(dir / "cap" / "frame_000000.png").rgb == ReadPng(dir / "ss.png").rgb);
}

TEST_F(CaptureTool, CapturesRepeatExactlyAndSoundtracksJoinToTheSample) {
  const std::string range = " --size 64x48 --fps 60";
  ASSERT_EQ(Tool("capture " + Path("a") + range + " --from 3.060 --to 4.004").code, 0);
  ASSERT_EQ(Tool("capture " + Path("b") + range + " --from 3.060 --to 4.004").code, 0);
  size_t frames = 0;
  for (const auto& entry : fs::directory_iterator(dir / "a")) {
    const fs::path twin = dir / "b" / entry.path().filename();
    ASSERT_TRUE(fs::exists(twin)) << twin;
    EXPECT_TRUE(Bytes(entry.path()) == Bytes(twin)) << entry.path().filename();
    frames += entry.path().extension() == ".png";
  }
  ASSERT_GT(frames, 20u);
  // Picture and sound last equally long, to within one sample.
  const long long samples = (fs::file_size(dir / "a" / "soundtrack.wav") - 44) / 4;  // 16-bit stereo
  EXPECT_LE(std::llabs(samples - static_cast<long long>(frames * 44100 / 60)), 1);

  // Two neighbouring ranges hold exactly the soundtrack of both together.
  ASSERT_EQ(Tool("capture " + Path("c") + range + " --from 3.060 --to 4.000").code, 0);
  ASSERT_EQ(Tool("capture " + Path("d") + range + " --from 4.000 --to 4.004").code, 0);
  const std::string whole = Bytes(dir / "a" / "soundtrack.wav"), front = Bytes(dir / "c" / "soundtrack.wav"),
                    back = Bytes(dir / "d" / "soundtrack.wav");
  EXPECT_TRUE(whole.substr(44) == front.substr(44) + back.substr(44));
  EXPECT_GT(back.size(), 44u);
}

TEST_F(CaptureTool, VideoFilesCarryPictureAndSound) {
  // The H.264 one at the speed that keeps up with the demo, which must reach the encoder whole.
  for (auto [name, extra] : {std::pair{"v.mp4", " --preset ultrafast"}, std::pair{"v.webm", ""}}) {
    SCOPED_TRACE(name);
    Result r = Tool("capture " + Path(name) + " --size 64x48 --from 4.000 --to 4.010" + extra);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_FALSE(fs::exists(Path(name) + ".part"));
    const std::string streams = Shell("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + Path(name)).output;
    EXPECT_NE(streams.find("video"), std::string::npos) << streams;
    EXPECT_NE(streams.find("audio"), std::string::npos) << streams;
  }
}

TEST_F(CaptureTool, BadInputIsRefusedInOneLineBeforeAnyWork) {
  const std::string png = Path("x.png"), mp4 = Path("x.mp4");
  const std::vector<std::string> cases = {
      "frame " + png + " --at 46.001",
      "frame " + png + " --at 4.000 --size 8193x100",
      "frame " + png + " --at 4.000 --supersample 5",
      "contact-sheet " + png + " --size 4100x100 --supersample 4",
      "capture " + Path("x.avi"),
      "capture " + mp4 + " --fps 241",
      "capture " + mp4 + " --from 4.000 --to 4.000",
      "capture /nonexistent/folder/x.mp4",
      "capture " + mp4 + " --preset quick",
      "capture " + Path("x.webm") + " --preset fast",
  };
  for (const std::string& args : cases) {
    Result r = Tool(args);
    EXPECT_EQ(r.code, 2) << args << "\n" << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << args << "\n" << r.output;
  }
  EXPECT_TRUE(fs::is_empty(dir));
}

// An encoder that takes a little and then dies with a message of its own.
TEST_F(CaptureTool, FailingFfmpegLeavesNoVideo) {
  const std::string mp4 = Path("x.mp4");
  fs::create_directories(dir / "bin");
  {
    std::ofstream fake(dir / "bin" / "ffmpeg");
    fake << "#!/bin/sh\nhead -c 5000 >/dev/null\necho 'fake encoder: no space left on device' >&2\nexit 1\n";
  }
  fs::permissions(dir / "bin" / "ffmpeg", fs::perms::owner_all);
  Result failing = Tool("capture " + mp4 + " --size 32x24 --from 4.000 --to 5.000",
                        "PATH=" + (dir / "bin").string() + ":/usr/bin:/bin");
  EXPECT_NE(failing.code, 0);
  EXPECT_NE(failing.output.find("no space left on device"), std::string::npos) << failing.output;
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_EQ(entry.path().filename(), "bin") << "left behind: " << entry.path();
}
