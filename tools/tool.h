// vale-tool: the command table and the small helpers every command shares
// (argument scanning, a progress bar on stderr, PNG output).
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct ToolCommand {
  const char* name;
  const char* usage;    // one line: arguments after the command name
  const char* summary;  // one line: what it does
  int (*run)(std::span<const std::string> args);  // returns the exit code
};

// Each cmd_*.cpp holds one static ToolRegistration; the table is sorted by name when listed.
struct ToolRegistration {
  explicit ToolRegistration(const ToolCommand& command);
};
const std::vector<ToolCommand>& ToolCommands();

// Prints "vale-tool: <message>" on stderr and returns 1 (or the given code).
int ToolFail(const std::string& message, int code = 1);
// Prints the command's usage line on stderr and returns 2.
int ToolUsage(const ToolCommand& command);

// Argument scanning: options may stand anywhere; "--name value" pairs and "--flag" switches.
struct ToolArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // value empty for switches
  std::string error;  // set when an option that wants a value has none
};
ToolArgs ParseToolArgs(std::span<const std::string> args, std::span<const std::string_view> valueOptions);
const std::string* FindOption(const ToolArgs& args, std::string_view name);
bool HasOption(const ToolArgs& args, std::string_view name);
// Whole-number option with range check; false (and an error message) when malformed.
bool IntOption(const ToolArgs& args, std::string_view name, long long lo, long long hi, long long& value, std::string& error);
bool FloatOption(const ToolArgs& args, std::string_view name, double& value, std::string& error);

// A progress bar on stderr, drawn only when stderr is a terminal.
class ToolProgress {
 public:
  explicit ToolProgress(std::string label);
  ~ToolProgress();
  void Update(double fraction);  // 0..1
  void Finish();
 private:
  std::string label_;
  bool tty_;
  int lastCells_ = -1;
  bool finished_ = false;
};

// Writes 8-bit RGB (3 bytes per pixel) or RGBA rows, row 0 at the top. False with a message on failure.
bool WritePng(const std::string& path, int width, int height, int channels, std::span<const uint8_t> pixels, std::string& error);

// The 44-byte header of a 16-bit stereo 44100 Hz PCM WAV file holding `frames` frames.
std::vector<uint8_t> WavHeader(uint32_t frames);
