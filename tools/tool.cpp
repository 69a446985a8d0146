#include "tools/tool.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/byte_writer.h"
#include "music/module.h"
#include "platform/output_file.h"

static std::vector<ToolCommand>& CommandTable() {
  static std::vector<ToolCommand> table;
  return table;
}

ToolRegistration::ToolRegistration(const ToolCommand& command) { CommandTable().push_back(command); }

const std::vector<ToolCommand>& ToolCommands() {
  auto& table = CommandTable();
  std::sort(table.begin(), table.end(),
            [](const ToolCommand& a, const ToolCommand& b) { return std::strcmp(a.name, b.name) < 0; });
  return table;
}

int ToolFail(const std::string& message, int code) {
  std::fprintf(stderr, "vale-tool: %s\n", message.c_str());
  return code;
}

int ToolUsage(const ToolCommand& command) {
  std::fprintf(stderr, "usage: vale-tool %s %s\n", command.name, command.usage);
  return 2;
}

ToolArgs ParseToolArgs(std::span<const std::string> args, std::span<const std::string_view> valueOptions,
                       std::span<const std::string_view> switches) {
  ToolArgs out;
  auto listed = [](std::span<const std::string_view> names, const std::string& a) {
    return std::find(names.begin(), names.end(), std::string_view(a)) != names.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      if (listed(valueOptions, a)) {
        if (i + 1 >= args.size()) {
          out.error = "option " + a + " needs a value";
          return out;
        }
        out.options.emplace_back(a, args[++i]);
      } else if (listed(switches, a)) {
        out.options.emplace_back(a, std::string());
      } else {
        out.error = "unknown option " + a;
        return out;
      }
    } else {
      out.positional.push_back(a);
    }
  }
  return out;
}

const std::string* FindOption(const ToolArgs& args, std::string_view name) {
  const std::string* found = nullptr;
  for (const auto& [k, v] : args.options)
    if (k == name) found = &v;  // the last one given wins
  return found;
}

bool HasOption(const ToolArgs& args, std::string_view name) { return FindOption(args, name) != nullptr; }

bool IntOption(const ToolArgs& args, std::string_view name, long long lo, long long hi, long long& value,
               std::string& error) {
  const std::string* text = FindOption(args, name);
  if (!text) return true;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text->c_str(), &end, 0);
  if (text->empty() || *end != '\0' || errno != 0 || v < lo || v > hi) {
    error = std::string(name) + " wants a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
            ", not '" + *text + "'";
    return false;
  }
  value = v;
  return true;
}

bool FloatOption(const ToolArgs& args, std::string_view name, double& value, std::string& error) {
  const std::string* text = FindOption(args, name);
  if (!text) return true;
  char* end = nullptr;
  double v = std::strtod(text->c_str(), &end);
  if (text->empty() || *end != '\0' || !(v == v)) {
    error = std::string(name) + " wants a number, not '" + *text + "'";
    return false;
  }
  value = v;
  return true;
}

namespace {
double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }
}  // namespace

ToolProgress::ToolProgress(std::string label, std::string unit)
    : label_(std::move(label)), unit_(std::move(unit)), tty_(isatty(STDERR_FILENO) != 0), start_(Now()) {}
ToolProgress::~ToolProgress() { Finish(); }

double ToolProgress::Seconds() const { return Now() - start_; }

void ToolProgress::Update(double fraction) { Show(std::clamp(fraction, 0.0, 1.0), -1, -1); }

void ToolProgress::Update(int64_t done, int64_t total) {
  Show(total > 0 ? std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0) : 1.0, done, total);
}

void ToolProgress::Show(double fraction, int64_t done, int64_t total) {
  if (finished_) return;
  const double now = Now(), seconds = now - start_;
  // A terminal is redrawn four times a second; a log gets a line every five seconds.
  if (fraction < 1.0 && now - last_ < (tty_ ? 0.25 : 5.0)) return;
  if (!tty_ && (fraction >= 1.0 || seconds < 5.0)) return;  // short work and the end go unlogged
  last_ = now;
  const int left = fraction > 0 ? static_cast<int>(seconds * (1.0 - fraction) / fraction) : 0;
  std::string counts;
  if (total >= 0) {
    char text[96];
    std::snprintf(text, sizeof text, " %lld/%lld %s, %.1f/s", static_cast<long long>(done),
                  static_cast<long long>(total), unit_.c_str(), seconds > 0 ? static_cast<double>(done) / seconds : 0.0);
    counts = text;
  }
  constexpr int kCells = 30;
  const int cells = static_cast<int>(fraction * kCells);
  if (tty_)
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%%s, %d:%02d left ", label_.c_str(), cells,
                 "##############################", kCells - cells, "", static_cast<int>(fraction * 100.0), counts.c_str(),
                 left / 60, left % 60);
  else
    std::fprintf(stderr, "%s: %d%%%s, %d:%02d left\n", label_.c_str(), static_cast<int>(fraction * 100.0),
                 counts.c_str(), left / 60, left % 60);
  std::fflush(stderr);
  shown_ = true;
}

void ToolProgress::Finish() {
  if (finished_) return;
  finished_ = true;
  if (tty_ && shown_) std::fprintf(stderr, "\n");
}

std::vector<uint8_t> WavHeader(uint32_t frames) {
  std::vector<uint8_t> h;
  h.reserve(44);
  const uint32_t dataBytes = frames * 4;
  auto tag = [&h](const char* t) { h.insert(h.end(), t, t + 4); };
  tag("RIFF");
  Put32(h, 36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  Put32(h, 16);
  Put16(h, 1);  // PCM
  Put16(h, 2);
  Put32(h, 44100);
  Put32(h, 44100 * 4);
  Put16(h, 4);
  Put16(h, 16);
  tag("data");
  Put32(h, dataBytes);
  return h;
}

bool PutWav(OutputFile& out, std::span<const int16_t> stereo) {
  const std::vector<uint8_t> header = WavHeader(static_cast<uint32_t>(stereo.size() / 2));
  std::vector<uint8_t> bytes;
  bytes.reserve(64 * 1024);
  bool ok = out.Write(header);
  for (size_t at = 0; at < stereo.size() && ok; at += 32 * 1024) {
    bytes.clear();
    for (int16_t v : stereo.subspan(at, std::min<size_t>(32 * 1024, stereo.size() - at)))
      Put16(bytes, static_cast<uint16_t>(v));
    ok = out.Write(bytes);
  }
  return ok;
}

bool WriteWav(const std::string& path, std::span<const int16_t> stereo, std::string& error, bool keepListed) {
  OutputFile out;
  if (!out.Open(path, error)) return false;
  PutWav(out, stereo);
  return out.Commit(error, keepListed);
}

bool ModuleHoldsSong(const ModulePlayer& player) {
  if (player.channelCount <= 0 || !player.patterns) return false;
  for (int i = 0; i < player.songLength; ++i) {
    const int p = player.orderTable[static_cast<size_t>(i)];
    if (p < player.patternSlotCount && player.patterns[p].rows > 0) return true;
  }
  return false;
}
