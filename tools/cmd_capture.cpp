// vale-tool capture: the presentation recorded frame-exact, headless, with its soundtrack: to a
// video file through the ffmpeg command, or to a folder of numbered PNG frames and a WAV.
// The clocks are faked: frame k has elapsedSeconds k / fps and hears the music of k / fps.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/output_file.h"
#include "tools/capture_output.h"
#include "tools/ffmpeg_pipe.h"
#include "tools/replay_run.h"
#include "tools/supersample.h"
#include "tools/tool.h"

namespace {

int Run(std::span<const std::string> rawArgs);

const ToolCommand kCommand{
    "capture",
    "OUT(.mp4|.mkv|.webm|/) [--size WxH] [--supersample N] [--fps N] [--from ORDER.ROW] [--to ORDER.ROW] [--crf Q] "
    "[--preset NAME] [--exact] [--overwrite]",
    "records the presentation frame-exact with its soundtrack (default 1440x1080 at 50 fps; the picture "
    "keeps its fixed 4/3 projection, so another shape shows it stretched, as a window of that shape would; "
    "--supersample N (1 to 4) draws every frame N times larger and gives each N x N block's mean; "
    "--exact draws the frames before --from too, so a part comes out as in a capture of the whole run; "
    "--preset sets H.264's speed against file size, ultrafast to veryslow (default fast); "
    "--overwrite replaces an earlier capture in the folder)",
    Run};
ToolRegistration registration(kCommand);

enum class Target { Folder, Mp4, Mkv, Webm };

struct Settings {
  std::string out;  // for a folder, without trailing '/'
  Target target = Target::Folder;
  int width = 1440, height = 1080;
  int supersample = 1;  // frames drawn this many times larger on each side
  int32_t fps = 50;
  SongPosition from{0, 0}, to = kEndPosition;
  int crf = -1;  // the encoder's default
  std::string preset;  // H.264's; empty for the default
  bool exact = false;  // frames before --from drawn at full size too
  bool overwrite = false;
  bool folderExists = false;
};

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// OUT names a folder when it is one, ends in '/', or its last part has no extension.
std::optional<Target> TargetOf(const std::string& out) {
  struct stat st {};
  if (stat(out.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Target::Folder;
  if (EndsWith(out, "/")) return Target::Folder;
  if (EndsWith(out, ".mp4")) return Target::Mp4;
  if (EndsWith(out, ".mkv")) return Target::Mkv;
  if (EndsWith(out, ".webm")) return Target::Webm;
  const size_t slash = out.find_last_of('/');
  const std::string last = slash == std::string::npos ? out : out.substr(slash + 1);
  if (last.find('.') == std::string::npos) return Target::Folder;
  return std::nullopt;
}

// Everything that can be known wrong before the renderer starts; nothing is created here.
int ParseSettings(std::span<const std::string> rawArgs, Settings& s) {
  static const std::string_view valueOptions[] = {"--size", "--fps", "--from", "--to", "--crf", "--supersample", "--preset"};
  static const std::string_view switches[] = {"--exact", "--overwrite"};
  ToolArgs args = ParseToolArgs(rawArgs, valueOptions, switches);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1) return ToolUsage(kCommand);
  s.out = args.positional[0];
  const std::optional<Target> target = TargetOf(s.out);
  if (!target) return ToolFail("OUT must end in .mp4, .mkv or .webm, or name a folder: '" + s.out + "'", 2);
  s.target = *target;
  std::string error;
  long long fps = 50, crf = -1;
  const long long maxCrf = s.target == Target::Webm ? 63 : 51;
  if (!SizeOption(args, s.width, s.height, error) || !SupersampleOption(args, s.width, s.height, s.supersample, error) ||
      !IntOption(args, "--fps", 24, 240, fps, error) ||
      !PositionOption(args, "--from", kLastDrawnPosition, s.from, error) ||
      !PositionOption(args, "--to", kEndPosition, s.to, error) || !IntOption(args, "--crf", 0, maxCrf, crf, error))
    return ToolFail(error, 2);
  if (HasOption(args, "--crf") && s.target == Target::Folder) return ToolFail("--crf is for video files", 2);
  if (const std::string* preset = FindOption(args, "--preset")) {
    if (s.target != Target::Mp4 && s.target != Target::Mkv) return ToolFail("--preset is for .mp4 and .mkv files", 2);
    static const std::string_view presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                               "medium",    "slow",      "slower",   "veryslow"};
    if (std::find(std::begin(presets), std::end(presets), *preset) == std::end(presets))
      return ToolFail("--preset takes ultrafast, superfast, veryfast, faster, fast, medium, slow, slower or veryslow, "
                      "not '" + *preset + "'", 2);
    s.preset = *preset;
  }
  if (HasOption(args, "--overwrite") && s.target != Target::Folder)
    return ToolFail("--overwrite is for folders (a video file is always replaced whole)", 2);
  s.fps = static_cast<int32_t>(fps);
  s.crf = static_cast<int>(crf);
  s.exact = HasOption(args, "--exact");
  s.overwrite = HasOption(args, "--overwrite");
  if (!(s.from < s.to)) return ToolFail("--from must come before --to", 2);
  if (s.target != Target::Folder) {
    return CheckOutputTarget(s.out, error) ? 0 : ToolFail(error, 2);
  }
  while (s.out.size() > 1 && s.out.back() == '/') s.out.pop_back();
  struct stat st {};
  s.folderExists = stat(s.out.c_str(), &st) == 0;
  if (s.folderExists && (!S_ISDIR(st.st_mode) || access(s.out.c_str(), W_OK | X_OK) != 0))
    return ToolFail("cannot write frames in " + s.out, 2);
  if (!s.folderExists && !CheckOutputTarget(s.out, error)) return ToolFail(error, 2);
  const size_t earlier = EarlierCaptureFiles(s.out).size();
  if (earlier > 0 && !s.overwrite)
    return ToolFail(s.out + " already holds " + std::to_string(earlier) +
                        " files of an earlier capture; give --overwrite to replace them, or another folder", 2);
  return 0;
}

// The folder, made or emptied of an earlier capture, once the renderer is known to work.
std::unique_ptr<CaptureOutput> OpenFolder(const Settings& s, std::string& error) {
  if (!s.folderExists && mkdir(s.out.c_str(), 0777) != 0) {
    error = "cannot make the folder " + s.out + ": " + std::strerror(errno);
    return nullptr;
  }
  for (const std::string& old : EarlierCaptureFiles(s.out))
    if (unlink(old.c_str()) != 0) {
      error = "cannot remove " + old + ": " + std::strerror(errno);
      return nullptr;
    }
  return MakeFolderOutput(s.out, !s.folderExists, s.width, s.height);
}

int Run(std::span<const std::string> rawArgs) {
  Settings s;
  if (const int rc = ParseSettings(rawArgs, s); rc != 0) return rc;
  VideoSettings video{s.out, {}, s.target == Target::Webm, s.target == Target::Mkv, s.width, s.height, s.fps, s.crf, s.preset};
  if (s.target != Target::Folder) {
    video.ffmpeg = FindFfmpeg();
    if (video.ffmpeg.empty())
      return ToolFail("the ffmpeg command is not installed: install it (apt-get install ffmpeg) or capture to a folder",
                      2);
  }

  ReplayRun run;
  std::string error;
  const int n = s.supersample;
  if (!run.Start(s.fps, true, s.width * n, s.height * n, error, s.exact)) return ToolFail(error);
  const SongTimeline& song = ReplaySong();
  const int64_t end = ReplayEndFrame();
  const int64_t first = std::min(FirstFrameAt(song, s.from, s.fps), end);
  int64_t last = FirstFrameAt(song, s.to, s.fps);  // excluded
  if (last < 0 || last > end) last = end;
  if (first < 0 || first >= last)
    return ToolFail("nothing to capture between " + FormatSongPosition(s.from) + " and " + FormatSongPosition(s.to));
  // The soundtrack of exactly these frames: from the first sample heard by the first one to the
  // first sample of the frame after the last.
  const uint64_t sampleFrom = SampleAtFrame(first, s.fps, song.mixRate);
  const uint64_t sampleTo = std::min<uint64_t>(SampleAtFrame(last, s.fps, song.mixRate), song.audio.size() / 2);
  const std::span<const int16_t> audio(song.audio.data() + 2 * sampleFrom, 2 * (sampleTo - sampleFrom));

  std::unique_ptr<CaptureOutput> output =
      s.target == Target::Folder ? OpenFolder(s, error) : MakeVideoOutput(video);
  if (!output || !output->Begin(audio, error) || !run.CatchUp(first, error)) return ToolFail(error);
  ToolProgress progress("capture", "frames");
  int64_t done = 0;
  // Unsupersampled frames go to the output as the framebuffer holds them: its threads turn the
  // rows over, so the drawing of the next frame waits only for the copy out of GL.
  CapturedFrame frame;
  for (int64_t k = first; k < last; ++k) {
    frame = {output->Spare(), n == 1};
    if (!(n == 1 ? run.DrawFramebuffer(s.width, s.height, frame.pixels, error)
                 : run.Draw(s.width * n, s.height * n, frame.pixels, error)))
      return ToolFail(error);
    if (frame.pixels.empty()) break;
    if (n > 1) frame.pixels = ResolveSupersampled(std::move(frame.pixels), s.width, s.height, n);
    if (!output->Put(std::move(frame), error)) return ToolFail(error);
    progress.Update(++done, last - first);
  }
  progress.Finish();
  if (!output->Finish(error)) return ToolFail(error);
  const double seconds = progress.Seconds();
  if (s.target == Target::Folder) {
    std::fprintf(stderr, "%s: %lld frames (%s to %s) and soundtrack.wav in %.1f s (%.1f fps); to make a video:\n",
                 s.out.c_str(), static_cast<long long>(done), FormatSongPosition(s.from).c_str(),
                 FormatSongPosition(s.to).c_str(), seconds, static_cast<double>(done) / seconds);
    std::printf("ffmpeg -framerate %d -i %s/frame_%%06d.png -i %s/soundtrack.wav -c:v libx264 -crf 18 "
                "-pix_fmt yuv420p -c:a aac -b:a 192k vale.mp4\n",
                s.fps, s.out.c_str(), s.out.c_str());
  } else {
    std::fprintf(stderr, "%s: %lld frames (%s to %s) at %d fps, %dx%d, in %.1f s (%.1f fps)\n", s.out.c_str(),
                 static_cast<long long>(done), FormatSongPosition(s.from).c_str(), FormatSongPosition(s.to).c_str(),
                 s.fps, s.width, s.height, seconds, static_cast<double>(done) / seconds);
  }
  return 0;
}

}  // namespace
