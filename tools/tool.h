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
// Any other option is an error ("unknown option --x"), as is a value option with no value.
struct ToolArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // value empty for switches
  std::string error;
};
ToolArgs ParseToolArgs(std::span<const std::string> args, std::span<const std::string_view> valueOptions,
                       std::span<const std::string_view> switches = {});
const std::string* FindOption(const ToolArgs& args, std::string_view name);
bool HasOption(const ToolArgs& args, std::string_view name);
// Whole-number option with range check; false (and an error message) when malformed.
bool IntOption(const ToolArgs& args, std::string_view name, long long lo, long long hi, long long& value, std::string& error);
bool FloatOption(const ToolArgs& args, std::string_view name, double& value, std::string& error);

// Progress on stderr for long work: a bar with the time left on a terminal, a line every few
// seconds otherwise. Counted work ("frames") also shows the count and the rate.
class ToolProgress {
 public:
  explicit ToolProgress(std::string label, std::string unit = {});
  ~ToolProgress();
  void Update(double fraction);  // 0..1
  void Update(int64_t done, int64_t total);
  void Finish();
  double Seconds() const;

 private:
  void Show(double fraction, int64_t done, int64_t total);
  std::string label_, unit_;
  bool tty_;
  bool finished_ = false, shown_ = false;
  double start_ = 0, last_ = -1;
};

// The 44-byte header of a 16-bit stereo 44100 Hz PCM WAV file holding `frames` frames.
std::vector<uint8_t> WavHeader(uint32_t frames);
class OutputFile;
struct ModulePlayer;

// A module holds a song when it has channels and an order whose pattern has rows; one cut short
// or emptied loads without one and would only render silence.
bool ModuleHoldsSong(const ModulePlayer& player);
// A WAV file of interleaved 16-bit stereo samples (stored little-endian): into an open output,
// or as a whole file.
bool PutWav(OutputFile& out, std::span<const int16_t> stereo);
bool WriteWav(const std::string& path, std::span<const int16_t> stereo, std::string& error, bool keepListed = false);

// Inputs are read whole; these caps sit far above any real file of each kind (the soundtrack is
// about 1 MiB exported with its samples, a texture script a few KiB) and keep an endless or
// enormous input from being read into memory.
inline constexpr uint64_t kMaxModuleBytes = 256ull << 20;
inline constexpr uint64_t kMaxScriptBytes = 16ull << 20;
