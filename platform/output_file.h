// platform/output_file.h: files written so that a failure never costs the user the file that
// was there. Bytes go to a temporary file with a short unique name in the target's folder; only
// when every write, the flush and the close have succeeded is it renamed over the target. On any
// failure, and when the program is interrupted (SIGINT, SIGTERM, SIGHUP), the temporary file is
// removed and the target stays exactly as it was. POSIX only: the tools and the texture cache
// of the Linux build write through it.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Discard(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Refuses a target that exists and is not a regular file (a folder, a device, a pipe) or is
  // not writable; a link is followed, so the file it names is the one replaced.
  bool Open(const std::string& path, std::string& error);
  std::FILE* Stream() const { return file_; }
  // Buffered writes; the first failure is kept (with the system's reason) for Commit.
  bool Write(std::span<const uint8_t> bytes);
  bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes);  // then continues at the end
  // Flushes, closes and renames over the target. `keepListed`: the finished file stays on the
  // interrupt clean-up list (the frames of a capture that is still running).
  bool Commit(std::string& error, bool keepListed = false);
  // Removes the temporary file (nothing happens to the target).
  void Discard();
  // Pushes what is buffered into the temporary file, for a child process that reads it there.
  bool Flush(std::string& error);
  // Where the bytes go until Commit: a program that writes the file itself (the encoder) is
  // given this path, and Commit then renames what it wrote.
  const std::string& TemporaryPath() const { return temporary_; }
  const std::string& Target() const { return target_; }

 private:
  bool Fail(int err);
  std::FILE* file_ = nullptr;
  std::string target_, temporary_;
  int errno_ = 0;
};

// The checks Open makes of a target, without creating anything: for refusing a target before
// long work rather than after it.
bool CheckOutputTarget(const std::string& path, std::string& error);

// The whole file at once, through an OutputFile.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

// An input file read whole: refused when it is not a regular file (a folder, a device, a pipe)
// or larger than `maxBytes`, so an endless stream is never read. Messages name the path.
bool ReadInputFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes, std::string& error);

// "what PATH: reason" with the system's text for `err`.
std::string FileError(const char* what, const std::string& path, int err);

// ---- interruption ----
// Blocks SIGINT, SIGTERM and SIGHUP in every thread and answers them on a thread of their own:
// the listed child is ended and waited for, the listed paths are removed (last listed first, so
// a folder goes after its files) and the program exits with 128 + the signal's number. Call it
// first thing in main, before any thread starts, so every thread inherits the blocked set.
void InstallInterruptCleanup();
void ListForCleanup(const std::string& path);
void UnlistForCleanup(const std::string& path);
void UnlistAllForCleanup();
void SetCleanupChild(pid_t child);  // 0: none
