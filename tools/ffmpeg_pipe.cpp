#include "tools/ffmpeg_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/output_file.h"

extern char** environ;

std::string FindFfmpeg() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = (end > start ? dirs.substr(start, end - start) : ".") + "/ffmpeg";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

FfmpegPipe::~FfmpegPipe() { Finish(); }

bool FfmpegPipe::Start(const std::string& ffmpeg, const std::vector<std::string>& args, std::string& error) {
  int in[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0) return error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno), false;
  if (pipe2(err, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    close(in[0]), close(in[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  // The tool blocks the interrupt signals and ignores SIGPIPE; the encoder gets the usual ones,
  // so that it can be stopped and notices a closed output.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(ffmpeg.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(in[0]);
  close(err[1]);
  if (rc != 0) {
    close(in[1]);
    close(err[0]);
    pid_ = -1;
    error = "cannot start " + ffmpeg + ": " + std::strerror(rc);
    return false;
  }
  SetCleanupChild(pid_);
  input_ = in[1];
  // ffmpeg's own messages are kept, so the last one can be shown if it fails.
  reader_ = std::thread([this, fd = err[0]] {
    std::string line;
    char buffer[256];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
      for (ssize_t i = 0; i < n; ++i) {
        const char c = buffer[i];
        if (c != '\n' && c != '\r') {
          line += c;
          continue;
        }
        std::lock_guard lock(mutex_);
        if (!line.empty()) lastLine_ = line;
        line.clear();
      }
    }
    std::lock_guard lock(mutex_);
    if (!line.empty()) lastLine_ = line;
    close(fd);
  });
  return true;
}

bool FfmpegPipe::Write(std::span<const uint8_t> bytes) {
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

bool FfmpegPipe::Finish() {
  if (input_ >= 0) close(input_);
  input_ = -1;
  int status = 0;
  bool waited = false;
  if (pid_ > 0) {
    pid_t r;
    while ((r = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    waited = r == pid_;
    SetCleanupChild(0);
  }
  pid_ = -1;
  if (reader_.joinable()) reader_.join();
  return waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string FfmpegPipe::LastLine() {
  std::lock_guard lock(mutex_);
  return lastLine_;
}
