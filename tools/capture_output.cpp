#include "tools/capture_output.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/headless.h"
#include "platform/output_file.h"
#include "tools/ffmpeg_pipe.h"
#include "tools/png_writer.h"
#include "tools/tool.h"

namespace {

bool IsFrameName(const char* name) {
  // frame_ + six or more digits + .png
  if (std::strncmp(name, "frame_", 6) != 0) return false;
  const char* p = name + 6;
  const char* digits = p;
  while (*p >= '0' && *p <= '9') ++p;
  return p - digits >= 6 && std::strcmp(p, ".png") == 0;
}

// The frame's pixels as RGB rows, top first: its own, or turned over into `scratch`.
const std::vector<uint8_t>& RgbRows(const CapturedFrame& frame, int width, int height, std::vector<uint8_t>& scratch) {
  if (!frame.framebufferRows) return frame.pixels;
  RgbRowsFromFramebuffer(frame.pixels, width, height, scratch);
  return scratch;
}

// ---- a folder of PNG frames, encoded on worker threads ----

class FolderOutput final : public CaptureOutput {
 public:
  FolderOutput(std::string folder, bool createdFolder, int width, int height)
      : folder_(std::move(folder)), createdFolder_(createdFolder), width_(width), height_(height) {
    if (createdFolder_) ListForCleanup(folder_);  // listed first, so removed last, once empty
    const unsigned n = std::max(2u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
  }
  ~FolderOutput() override {
    Stop();
    if (!finished_) RemoveAll();
  }

  bool Begin(std::span<const int16_t> stereo, std::string& error) override {
    if (!WriteWav(folder_ + "/soundtrack.wav", stereo, error, true)) return false;
    Wrote(folder_ + "/soundtrack.wav");
    return true;
  }

  bool Put(CapturedFrame frame, std::string& error) override {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(next_++));
    std::unique_lock lock(mutex_);
    // Bounded, so memory stays small however far the renderer runs ahead.
    room_.wait(lock, [this] { return queue_.size() < 2 * workers_.size() || !failed_.empty(); });
    if (!failed_.empty()) return error = failed_, false;
    queue_.push_back({folder_ + name, std::move(frame)});
    ready_.notify_one();
    return true;
  }

  std::vector<uint8_t> Spare() override {
    std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    std::vector<uint8_t> frame = std::move(spare_.back());
    spare_.pop_back();
    return frame;
  }

  bool Finish(std::string& error) override {
    Stop();
    if (!failed_.empty()) {
      error = failed_;
      RemoveAll();
      return false;
    }
    finished_ = true;
    UnlistAllForCleanup();
    return true;
  }

 private:
  void Wrote(const std::string& path) {
    std::lock_guard lock(mutex_);
    written_.push_back(path);
  }
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : workers_)
      if (t.joinable()) t.join();
  }
  // Everything this run wrote, and the folder if this run made it.
  void RemoveAll() {
    for (const std::string& path : written_) unlink(path.c_str());
    if (createdFolder_) rmdir(folder_.c_str());
    UnlistAllForCleanup();
  }
  void Work() {
    for (;;) {
      std::pair<std::string, CapturedFrame> job;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty() || !failed_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
        room_.notify_one();
      }
      std::string error;
      thread_local std::vector<uint8_t> rgb;
      if (WritePng(job.first, width_, height_, 3, RgbRows(job.second, width_, height_, rgb), error,
                   {PngSpeed::Fast, true})) {
        std::lock_guard lock(mutex_);
        written_.push_back(job.first);
        if (spare_.size() < 2) spare_.push_back(std::move(job.second.pixels));
      } else {
        std::lock_guard lock(mutex_);
        if (failed_.empty()) failed_ = error;
        queue_.clear();
        room_.notify_all();
      }
    }
  }

  std::string folder_;
  bool createdFolder_;
  int width_, height_;
  int64_t next_ = 0;
  bool finished_ = false;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<std::pair<std::string, CapturedFrame>> queue_;
  std::vector<std::vector<uint8_t>> spare_;
  std::vector<std::thread> workers_;
  bool closing_ = false;
  std::string failed_;
  std::vector<std::string> written_;
};

// ---- one video file through ffmpeg ----

std::vector<std::string> EncoderArgs(const VideoSettings& s, const std::string& wav, const std::string& video) {
  std::vector<std::string> a = {"-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
                                "-video_size", std::to_string(s.width) + "x" + std::to_string(s.height),
                                "-framerate", std::to_string(s.fps), "-i", "pipe:0", "-f", "wav", "-i", wav,
                                "-map", "0:v", "-map", "1:a"};
  // 4:2:0 chroma wants even sides: an odd size gets one black line or column more.
  if (s.width % 2 || s.height % 2) a.insert(a.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
  if (s.webm) {
    a.insert(a.end(), {"-c:v", "libvpx-vp9", "-crf", std::to_string(s.crf < 0 ? 31 : s.crf), "-b:v", "0",
                       "-row-mt", "1", "-deadline", "good", "-cpu-used", "4", "-pix_fmt", "yuv420p", "-c:a",
                       "libopus", "-b:a", "160k", "-f", "webm"});
  } else {
    a.insert(a.end(), {"-c:v", "libx264", "-preset", s.preset.empty() ? "fast" : s.preset, "-crf", std::to_string(s.crf < 0 ? 18 : s.crf),
                       "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k", "-f", s.matroska ? "matroska" : "mp4"});
  }
  a.push_back(video);
  return a;
}

class VideoOutput final : public CaptureOutput {
 public:
  explicit VideoOutput(VideoSettings settings) : s_(std::move(settings)) {}
  ~VideoOutput() override { StopWriter(); }

  bool Begin(std::span<const int16_t> stereo, std::string& error) override {
    // Both files are temporary ones beside the target: the encoder writes the video over its
    // temporary name, which becomes the target only when the encoder has succeeded.
    if (!video_.Open(s_.path, error) || !wav_.Open(s_.path, error)) return false;
    PutWav(wav_, stereo);
    if (!wav_.Flush(error)) return false;
    signal(SIGPIPE, SIG_IGN);  // a dead ffmpeg shows as a failed write, not as our death
    if (!encoder_.Start(s_.ffmpeg, EncoderArgs(s_, wav_.TemporaryPath(), video_.TemporaryPath()), error)) return false;
    writer_ = std::thread([this] { Write(); });
    return true;
  }

  // The frame goes to the encoder from the writer thread, so the next one is drawn while the
  // encoder takes this one in; a couple wait at most.
  bool Put(CapturedFrame frame, std::string& error) override {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return queue_.size() < 2 || failed_; });
    if (failed_) {
      lock.unlock();
      StopWriter();
      encoder_.Finish();
      return error = EncoderFailure(), false;
    }
    queue_.push_back(std::move(frame));
    ready_.notify_one();
    return true;
  }

  std::vector<uint8_t> Spare() override {
    std::lock_guard lock(mutex_);
    return std::exchange(spare_, {});
  }

  bool Finish(std::string& error) override {
    StopWriter();
    const bool encoded = !failed_ && encoder_.Finish();
    if (failed_) encoder_.Finish();
    wav_.Discard();
    if (!encoded) return error = EncoderFailure(), false;
    return video_.Commit(error);
  }

 private:
  void Write() {
    for (;;) {
      CapturedFrame frame;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) return;
        frame = std::move(queue_.front());
        queue_.pop_front();
      }
      const bool written = encoder_.Write(RgbRows(frame, s_.width, s_.height, rgb_));
      std::lock_guard lock(mutex_);
      if (!written) {
        failed_ = true;
        queue_.clear();
      } else {
        spare_ = std::move(frame.pixels);
      }
      room_.notify_one();
      if (failed_) return;
    }
  }
  void StopWriter() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    ready_.notify_all();
    if (writer_.joinable()) writer_.join();
  }
  std::string EncoderFailure() {
    const std::string why = encoder_.LastLine();
    return "ffmpeg failed: " + (why.empty() ? std::string("no message") : why);
  }
  VideoSettings s_;
  OutputFile video_, wav_;  // discarded by their destructors unless committed
  FfmpegPipe encoder_;      // ended before the files go
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<CapturedFrame> queue_;
  std::vector<uint8_t> spare_, rgb_;  // rgb_: the writer's, for turning frames over
  bool closing_ = false, failed_ = false;
  std::thread writer_;  // declared last: joined first
};

}  // namespace

std::vector<std::string> EarlierCaptureFiles(const std::string& folder) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return found;
  while (const dirent* e = readdir(dir))
    if (IsFrameName(e->d_name) || std::strcmp(e->d_name, "soundtrack.wav") == 0) found.push_back(folder + "/" + e->d_name);
  closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

std::unique_ptr<CaptureOutput> MakeFolderOutput(const std::string& folder, bool createdFolder, int width, int height) {
  return std::make_unique<FolderOutput>(folder, createdFolder, width, height);
}

std::unique_ptr<CaptureOutput> MakeVideoOutput(const VideoSettings& settings) {
  return std::make_unique<VideoOutput>(settings);
}
