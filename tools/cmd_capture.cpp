// vale-tool capture: the presentation recorded frame-exact, headless, with its soundtrack: to a
// video file through the ffmpeg command, or to a folder of numbered PNG frames and a WAV.
// The clocks are faked: frame k has elapsedSeconds k / fps and hears the music of k / fps.
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "tools/replay_run.h"
#include "tools/tool.h"

extern char** environ;

namespace {

int Run(std::span<const std::string> rawArgs);

const ToolCommand kCommand{
    "capture", "OUT(.mp4|.mkv|.webm|/) [--size WxH] [--fps N] [--from ORDER.ROW] [--to ORDER.ROW] [--crf Q] [--exact]",
    "records the presentation frame-exact with its soundtrack (default 1440x1080 at 50 fps; the picture "
    "keeps its fixed 4/3 projection, so another shape shows it stretched, as a window of that shape would; "
    "--exact draws the frames before --from too, so a part comes out as in a capture of the whole run)",
    Run};
ToolRegistration registration(kCommand);

enum class Target { Folder, Mp4, Mkv, Webm };

struct Settings {
  std::string out;
  Target target = Target::Folder;
  int width = 1440, height = 1080;
  int32_t fps = 50;
  SongPosition from{0, 0}, to = kEndPosition;
  int crf = -1;  // the encoder's default
  bool exact = false;  // frames before --from drawn at full size too
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

std::string FindInPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = (end > start ? dirs.substr(start, end - start) : ".") + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// ---- progress: a bar on a terminal, a line every few seconds otherwise ----

class CaptureProgress {
 public:
  explicit CaptureProgress(int64_t total) : total_(total), tty_(isatty(STDERR_FILENO) != 0) {}
  void Update(int64_t done) {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double interval = tty_ ? 0.25 : 5.0;
    if (done < total_ && std::chrono::duration<double>(now - last_).count() < interval) return;
    last_ = now;
    const double fps = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const double left = fps > 0 ? static_cast<double>(total_ - done) / fps : 0.0;
    const int cells = total_ > 0 ? static_cast<int>(30 * done / total_) : 30;
    if (tty_) {
      std::fprintf(stderr, "\rcapture [%.*s%*s] %lld/%lld frames, %.1f fps, %d:%02d left ", cells,
                   "##############################", 30 - cells, "", static_cast<long long>(done),
                   static_cast<long long>(total_), fps, static_cast<int>(left) / 60, static_cast<int>(left) % 60);
      if (done >= total_) std::fprintf(stderr, "\n");
    } else {
      std::fprintf(stderr, "capture: %lld/%lld frames, %.1f fps, %d:%02d left\n", static_cast<long long>(done),
                   static_cast<long long>(total_), fps, static_cast<int>(left) / 60, static_cast<int>(left) % 60);
    }
    std::fflush(stderr);
  }
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  int64_t total_;
  bool tty_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_ = start_;
};

// ---- PNG frames, encoded on worker threads at a fast compression level ----

bool WriteFastPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
      png_write_row(png, const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * width * 3));
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  return (std::fclose(file) == 0) && ok;
}

class PngWriters {
 public:
  PngWriters(int width, int height) : width_(width), height_(height) {
    const unsigned n = std::max(2u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
  }
  ~PngWriters() { Finish(); }
  // Queues a frame; waits while too many are pending, so memory stays bounded.
  void Put(std::string path, std::vector<uint8_t> rgb) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return queue_.size() < 2 * workers_.size(); });
    queue_.push_back({std::move(path), std::move(rgb)});
    ready_.notify_one();
  }
  // Waits for every queued frame; the first path that failed, or "".
  std::string Finish() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : workers_)
      if (t.joinable()) t.join();
    return failed_;
  }

 private:
  void Work() {
    for (;;) {
      std::pair<std::string, std::vector<uint8_t>> job;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
        room_.notify_one();
      }
      if (!WriteFastPng(job.first, width_, height_, job.second)) {
        std::lock_guard lock(mutex_);
        if (failed_.empty()) failed_ = job.first;
      }
    }
  }
  int width_, height_;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<std::pair<std::string, std::vector<uint8_t>>> queue_;
  std::vector<std::thread> workers_;
  bool closing_ = false;
  std::string failed_;
};

// ---- the ffmpeg child: raw RGB frames on its standard input ----

class Encoder {
 public:
  ~Encoder() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    if (reader_.joinable()) reader_.join();
  }
  bool Start(const std::string& ffmpeg, const std::vector<std::string>& args, std::string& error) {
    int in[2], err[2];
    if (pipe(in) != 0 || pipe(err) != 0) {
      error = "cannot make a pipe to ffmpeg";
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(ffmpeg.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(err[1]);
    if (rc != 0) {
      close(in[1]);
      close(err[0]);
      pid_ = -1;
      error = "cannot start " + ffmpeg + ": " + std::strerror(rc);
      return false;
    }
    input_ = in[1];
    // ffmpeg's own messages are kept, so the last one can be shown if it fails.
    reader_ = std::thread([this, fd = err[0]] {
      std::string line;
      char c;
      while (read(fd, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
          std::lock_guard lock(mutex_);
          if (!line.empty()) lastLine_ = line;
          line.clear();
        } else {
          line += c;
        }
      }
      std::lock_guard lock(mutex_);
      if (!line.empty()) lastLine_ = line;
      close(fd);
    });
    return true;
  }
  bool Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(input_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // Closes the input and waits: true when ffmpeg exited with 0.
  bool Finish() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    int status = 0;
    const bool waited = pid_ > 0 && waitpid(pid_, &status, 0) == pid_;
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
    return waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  std::string LastLine() {
    std::lock_guard lock(mutex_);
    return lastLine_;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::string lastLine_;
};

std::vector<std::string> EncoderArgs(const Settings& s, const std::string& wav, const std::string& partial) {
  std::vector<std::string> a = {"-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
                                "-video_size", std::to_string(s.width) + "x" + std::to_string(s.height),
                                "-framerate", std::to_string(s.fps), "-i", "pipe:0", "-i", wav, "-map", "0:v",
                                "-map", "1:a"};
  // 4:2:0 chroma wants even sides: an odd size gets one black line or column more.
  if (s.width % 2 || s.height % 2) a.insert(a.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
  if (s.target == Target::Webm) {
    a.insert(a.end(), {"-c:v", "libvpx-vp9", "-crf", std::to_string(s.crf < 0 ? 31 : s.crf), "-b:v", "0",
                       "-row-mt", "1", "-deadline", "good", "-cpu-used", "4", "-pix_fmt", "yuv420p", "-c:a",
                       "libopus", "-b:a", "160k", "-f", "webm"});
  } else {
    a.insert(a.end(), {"-c:v", "libx264", "-preset", "fast", "-crf", std::to_string(s.crf < 0 ? 18 : s.crf),
                       "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k", "-f",
                       s.target == Target::Mp4 ? "mp4" : "matroska"});
  }
  a.push_back(partial);
  return a;
}

bool WriteWav(const std::string& path, std::span<const int16_t> stereo) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const std::vector<uint8_t> header = WavHeader(static_cast<uint32_t>(stereo.size() / 2));
  bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  // The samples are stored little-endian, as this machine holds them.
  ok = ok && std::fwrite(stereo.data(), sizeof(int16_t), stereo.size(), f) == stereo.size();
  return (std::fclose(f) == 0) && ok;
}

int ParseSettings(std::span<const std::string> rawArgs, Settings& s) {
  static const std::string_view valueOptions[] = {"--size", "--fps", "--from", "--to", "--crf"};
  ToolArgs args = ParseToolArgs(rawArgs, valueOptions);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1) return ToolUsage(kCommand);
  for (const auto& [name, value] : args.options)
    if (name != "--size" && name != "--fps" && name != "--from" && name != "--to" && name != "--crf" && name != "--exact")
      return ToolFail("unknown option " + name, 2);
  s.out = args.positional[0];
  const std::optional<Target> target = TargetOf(s.out);
  if (!target) return ToolFail("OUT must end in .mp4, .mkv or .webm, or name a folder: '" + s.out + "'", 2);
  s.target = *target;
  std::string error;
  long long fps = 50, crf = -1;
  const long long maxCrf = s.target == Target::Webm ? 63 : 51;
  if (!SizeOption(args, s.width, s.height, error) || !IntOption(args, "--fps", 24, 240, fps, error) ||
      !PositionOption(args, "--from", {46, 0}, s.from, error) ||
      !PositionOption(args, "--to", kEndPosition, s.to, error) || !IntOption(args, "--crf", 0, maxCrf, crf, error))
    return ToolFail(error, 2);
  if (HasOption(args, "--crf") && s.target == Target::Folder) return ToolFail("--crf is for video files", 2);
  s.fps = static_cast<int32_t>(fps);
  s.crf = static_cast<int>(crf);
  s.exact = HasOption(args, "--exact");
  if (!(s.from < s.to)) return ToolFail("--from must come before --to", 2);
  if (s.target == Target::Folder) {
    struct stat st {};
    const bool exists = stat(s.out.c_str(), &st) == 0;
    if (exists && (!S_ISDIR(st.st_mode) || access(s.out.c_str(), W_OK | X_OK) != 0))
      return ToolFail("cannot write frames in " + s.out, 2);
    if (!exists) {
      std::string folder = s.out;
      while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      if (!CanWriteBeside(folder, error)) return ToolFail(error, 2);
      if (mkdir(folder.c_str(), 0777) != 0) return ToolFail("cannot make the folder " + folder, 2);
    }
  } else if (!CanWriteBeside(s.out, error)) {
    return ToolFail(error, 2);
  }
  return 0;
}

int Run(std::span<const std::string> rawArgs) {
  Settings s;
  if (const int rc = ParseSettings(rawArgs, s); rc != 0) return rc;
  std::string ffmpeg;
  if (s.target != Target::Folder) {
    ffmpeg = FindInPath("ffmpeg");
    if (ffmpeg.empty())
      return ToolFail("the ffmpeg command is not installed: install it (apt-get install ffmpeg) or capture to a folder",
                      2);
  }

  ReplayRun run;
  std::string error;
  if (!run.Start(s.fps, true, s.width, s.height, error, s.exact)) return ToolFail(error);
  const SongTimeline& song = ReplaySong();
  const int64_t end = ReplayEndFrame();
  const int64_t first = std::min(FirstFrameAt(song, s.from, s.fps), end);
  int64_t last = FirstFrameAt(song, s.to, s.fps);  // excluded
  if (last < 0 || last > end) last = end;
  if (first < 0 || first >= last) return ToolFail("nothing to capture between " + FormatSongPosition(s.from) +
                                                  " and " + FormatSongPosition(s.to));
  // The soundtrack of exactly these frames: from the first sample heard by the first one to the
  // first sample of the frame after the last.
  const uint64_t sampleFrom = SampleAtFrame(first, s.fps, song.mixRate);
  const uint64_t sampleTo = std::min<uint64_t>(SampleAtFrame(last, s.fps, song.mixRate), song.audio.size() / 2);
  const std::span<const int16_t> audio(song.audio.data() + 2 * sampleFrom, 2 * (sampleTo - sampleFrom));

  std::string folder = s.out;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string wavPath = s.target == Target::Folder ? folder + "/soundtrack.wav" : s.out + ".part.wav";
  const std::string partial = s.out + ".part";
  if (!WriteWav(wavPath, audio)) return ToolFail("cannot write " + wavPath);

  run.CatchUp(first);
  CaptureProgress progress(last - first);
  int64_t done = 0;
  if (s.target == Target::Folder) {
    PngWriters writers(s.width, s.height);
    char name[32];
    for (int64_t k = first; k < last; ++k) {
      std::vector<uint8_t> rgb = run.Draw(s.width, s.height);
      if (rgb.empty()) break;
      std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(k - first));
      writers.Put(folder + name, std::move(rgb));
      progress.Update(++done);
    }
    const std::string failed = writers.Finish();
    if (!failed.empty()) return ToolFail("cannot write " + failed);
    std::fprintf(stderr, "%s: %lld frames (%s to %s) and soundtrack.wav in %.1f s (%.1f fps); to make a video:\n",
                 folder.c_str(), static_cast<long long>(done), FormatSongPosition(s.from).c_str(),
                 FormatSongPosition(s.to).c_str(), progress.Seconds(), static_cast<double>(done) / progress.Seconds());
    std::printf("ffmpeg -framerate %d -i %s/frame_%%06d.png -i %s/soundtrack.wav -c:v libx264 -crf 18 "
                "-pix_fmt yuv420p -c:a aac -b:a 192k vale.mp4\n",
                s.fps, folder.c_str(), folder.c_str());
    return 0;
  }

  signal(SIGPIPE, SIG_IGN);  // a dead ffmpeg shows as a failed write, not as our death
  Encoder encoder;
  auto cleanUp = [&] {
    unlink(partial.c_str());
    unlink(wavPath.c_str());
  };
  if (!encoder.Start(ffmpeg, EncoderArgs(s, wavPath, partial), error)) {
    cleanUp();
    return ToolFail(error);
  }
  bool written = true;
  for (int64_t k = first; k < last && written; ++k) {
    const std::vector<uint8_t> rgb = run.Draw(s.width, s.height);
    if (rgb.empty()) break;
    written = encoder.Write(rgb);
    if (written) progress.Update(++done);
  }
  const bool finished = encoder.Finish();
  if (!written || !finished) {
    cleanUp();
    const std::string why = encoder.LastLine();
    return ToolFail("ffmpeg failed: " + (why.empty() ? std::string("no message") : why));
  }
  unlink(wavPath.c_str());
  if (std::rename(partial.c_str(), s.out.c_str()) != 0) {
    unlink(partial.c_str());
    return ToolFail("cannot write " + s.out);
  }
  std::fprintf(stderr, "%s: %lld frames (%s to %s) at %d fps, %dx%d, in %.1f s (%.1f fps)\n", s.out.c_str(),
               static_cast<long long>(done), FormatSongPosition(s.from).c_str(), FormatSongPosition(s.to).c_str(),
               s.fps, s.width, s.height, progress.Seconds(), static_cast<double>(done) / progress.Seconds());
  return 0;
}

}  // namespace
