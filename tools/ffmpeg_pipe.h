// vale-tool: the ffmpeg command as a child process fed raw frames on its standard input.
// The child is on the interrupt clean-up list while it runs, so an interrupted tool never
// leaves an encoder behind.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

// The ffmpeg command on PATH, or "" when there is none.
std::string FindFfmpeg();

class FfmpegPipe {
 public:
  // Not copied: its thread and lock make it so.
  ~FfmpegPipe();

  bool Start(const std::string& ffmpeg, const std::vector<std::string>& args, std::string& error);
  bool Write(std::span<const uint8_t> bytes);  // false once ffmpeg stops reading
  // Closes the input and waits: true when ffmpeg exited with 0.
  bool Finish();
  // ffmpeg's last line on stderr, for the message when it fails.
  std::string LastLine();

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::string lastLine_;
};
