#include "tools/tool.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/byte_writer.h"

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

ToolArgs ParseToolArgs(std::span<const std::string> args, std::span<const std::string_view> valueOptions) {
  ToolArgs out;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      bool wantsValue = std::find(valueOptions.begin(), valueOptions.end(), std::string_view(a)) != valueOptions.end();
      if (wantsValue) {
        if (i + 1 >= args.size()) {
          out.error = "option " + a + " needs a value";
          return out;
        }
        out.options.emplace_back(a, args[++i]);
      } else {
        out.options.emplace_back(a, std::string());
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

ToolProgress::ToolProgress(std::string label) : label_(std::move(label)), tty_(isatty(STDERR_FILENO) != 0) {}
ToolProgress::~ToolProgress() { Finish(); }

void ToolProgress::Update(double fraction) {
  if (!tty_ || finished_) return;
  fraction = std::clamp(fraction, 0.0, 1.0);
  constexpr int kCells = 40;
  int cells = static_cast<int>(fraction * kCells);
  int percent = static_cast<int>(fraction * 100.0);
  if (cells == lastCells_ && percent != 100) return;
  lastCells_ = cells;
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_.c_str(), cells, "########################################",
               kCells - cells, "", percent);
  std::fflush(stderr);
}

void ToolProgress::Finish() {
  if (!tty_ || finished_) return;
  finished_ = true;
  if (lastCells_ >= 0) std::fprintf(stderr, "\n");
}

bool WritePng(const std::string& path, int width, int height, int channels, std::span<const uint8_t> pixels,
              std::string& error) {
  if (channels != 3 && channels != 4) {
    error = "PNG writer takes 3 or 4 channels";
    return false;
  }
  if (pixels.size() < static_cast<size_t>(width) * height * channels) {
    error = "PNG writer given too few pixels";
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), width * channels, nullptr)) {
    error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
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
