#include "platform/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// What an interruption removes and stops. One lock guards it, so that a temporary file is
// listed in the same step that creates it and a finished one is renamed in the same step that
// unlists it: the clean-up never misses a file, nor removes a target that was just completed.
struct CleanupList {
  std::mutex mutex;
  std::vector<std::string> paths;
  pid_t child = 0;
};
CleanupList& Cleanup() {
  static CleanupList list;
  return list;
}

void UnlistLocked(CleanupList& list, const std::string& path) {
  for (size_t i = list.paths.size(); i-- > 0;)
    if (list.paths[i] == path) {
      list.paths.erase(list.paths.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

mode_t NewFileMode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Ends the child (asking first, then forcing) and waits for it, so no encoder outlives us.
void StopChild(pid_t child) {
  if (child <= 0) return;
  kill(child, SIGTERM);
  for (int waited = 0; waited < 300; ++waited) {  // up to 3 s
    const pid_t r = waitpid(child, nullptr, WNOHANG);
    if (r == child || (r < 0 && errno == ECHILD)) return;
    usleep(10000);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

sigset_t InterruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

std::string FileError(const char* what, const std::string& path, int err) {
  return std::string(what) + " " + path + ": " + std::strerror(err);
}

bool OutputFile::Fail(int err) {
  if (errno_ == 0) errno_ = err != 0 ? err : EIO;
  return false;
}

namespace {
// Where the bytes of `path` end up (a link is followed) and whether a file is there now.
bool ResolveTarget(const std::string& path, std::string& target, struct stat& st, bool& exists, std::string& error) {
  if (path.empty()) return error = "no output file named", false;
  target = path;
  exists = lstat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return error = FileError("cannot write", path, errno), false;
  if (exists && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) return error = FileError("cannot write", path, errno), false;
    target = resolved;
    exists = stat(target.c_str(), &st) == 0;
  }
  if (exists) {
    if (S_ISDIR(st.st_mode)) return error = "cannot write " + path + ": it is a folder", false;
    if (!S_ISREG(st.st_mode)) return error = "cannot write " + path + ": it exists and is not a regular file", false;
    if (access(target.c_str(), W_OK) != 0) return error = FileError("cannot write", path, errno), false;
  }
  return true;
}
}  // namespace

bool CheckOutputTarget(const std::string& path, std::string& error) {
  std::string target;
  struct stat st {};
  bool exists = false;
  if (!ResolveTarget(path, target, st, exists, error)) return false;
  if (!exists && access(FolderOf(target).c_str(), W_OK | X_OK) != 0)
    return error = FileError("cannot write", path, errno), false;
  return true;
}

bool OutputFile::Open(const std::string& path, std::string& error) {
  Discard();
  errno_ = 0;
  struct stat st {};
  bool exists = false;
  if (!ResolveTarget(path, target_, st, exists, error)) return false;
  CleanupList& list = Cleanup();
  std::lock_guard lock(list.mutex);
  // A short name, so a target whose own name is at the length limit still has a neighbour.
  std::string name = FolderOf(target_) + "/.vale-XXXXXX";
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return error = FileError("cannot write", path, errno), false;
  fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode());
  file_ = fdopen(fd, "wb");
  if (!file_) {
    error = FileError("cannot write", path, errno);
    close(fd);
    unlink(name.c_str());
    return false;
  }
  temporary_ = name;
  list.paths.push_back(temporary_);
  return true;
}

bool OutputFile::Write(std::span<const uint8_t> bytes) {
  if (!file_ || errno_) return false;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return Fail(errno);
  return true;
}

bool OutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  if (!file_ || errno_) return false;
  errno = 0;
  if (std::fflush(file_) != 0 || fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return Fail(errno);
  if (!Write(bytes)) return false;
  if (fseeko(file_, 0, SEEK_END) != 0) return Fail(errno);
  return true;
}

bool OutputFile::Flush(std::string& error) {
  errno = 0;
  if (file_ && errno_ == 0 && std::fflush(file_) != 0) Fail(errno);
  if (!file_ || errno_ != 0) return error = FileError("cannot write", target_, errno_ ? errno_ : EBADF), false;
  return true;
}

bool OutputFile::Commit(std::string& error, bool keepListed) {
  if (!file_) return error = "cannot write " + target_ + ": not open", false;
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_)) Fail(errno);
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) Fail(errno);
  if (errno_ == 0) {
    CleanupList& list = Cleanup();
    std::lock_guard lock(list.mutex);
    if (std::rename(temporary_.c_str(), target_.c_str()) == 0) {
      UnlistLocked(list, temporary_);
      if (keepListed) list.paths.push_back(target_);
      temporary_.clear();
      return true;
    }
    Fail(errno);
  }
  error = FileError("cannot write", target_, errno_);
  Discard();
  return false;
}

void OutputFile::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (temporary_.empty()) return;
  CleanupList& list = Cleanup();
  std::lock_guard lock(list.mutex);
  unlink(temporary_.c_str());
  UnlistLocked(list, temporary_);
  temporary_.clear();
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
  OutputFile out;
  if (!out.Open(path, error)) return false;
  out.Write(bytes);
  return out.Commit(error);
}

bool ReadInputFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  if (path.empty()) return error = "no input file named", false;
  // Non-blocking, so that opening a pipe nobody writes to cannot hang us before the check below.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return error = FileError("cannot read", path, errno), false;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0;
  if (!ok) {
    error = FileError("cannot read", path, errno);
  } else if (S_ISDIR(st.st_mode)) {
    ok = false, error = "cannot read " + path + ": it is a folder";
  } else if (!S_ISREG(st.st_mode)) {
    ok = false, error = "cannot read " + path + ": it is not a regular file";
  } else if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    ok = false, error = "cannot read " + path + ": it is too large (" + std::to_string(st.st_size) +
                        " bytes; at most " + std::to_string(maxBytes) + ")";
  }
  if (ok) {
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    // A file that grows while it is read is cut at its size when opened.
    while (done < bytes.size()) {
      const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false, error = FileError("cannot read", path, errno);
        break;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    bytes.resize(done);
  }
  close(fd);
  if (!ok) bytes.clear();
  return ok;
}

void ListForCleanup(const std::string& path) {
  CleanupList& list = Cleanup();
  std::lock_guard lock(list.mutex);
  list.paths.push_back(path);
}

void UnlistForCleanup(const std::string& path) {
  CleanupList& list = Cleanup();
  std::lock_guard lock(list.mutex);
  UnlistLocked(list, path);
}

void UnlistAllForCleanup() {
  CleanupList& list = Cleanup();
  std::lock_guard lock(list.mutex);
  list.paths.clear();
}

void SetCleanupChild(pid_t child) {
  CleanupList& list = Cleanup();
  std::lock_guard lock(list.mutex);
  list.child = child;
}

void InstallInterruptCleanup() {
  static std::once_flag once;
  std::call_once(once, [] {
    const sigset_t set = InterruptSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
      int signal = 0;
      while (sigwait(&set, &signal) != 0) {
      }
      CleanupList& list = Cleanup();
      list.mutex.lock();  // held to the end: nothing is created, renamed or unlisted after this
      StopChild(list.child);
      for (size_t i = list.paths.size(); i-- > 0;) std::remove(list.paths[i].c_str());
      _exit(128 + signal);
    }).detach();
  });
}
