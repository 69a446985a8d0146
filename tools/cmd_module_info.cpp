// vale-tool module-info: what the engine reads from a module: header, order table, patterns,
// instruments and samples. The embedded module by default, or a file.
#include <cstdio>
#include <string>
#include <vector>

#include "music/module.h"
#include "music/stream.h"
#include "platform/output_file.h"
#include "tools/tool.h"

namespace {

// Text field of the file's header (the loader does not keep names), printable characters only.
std::string HeaderText(const std::vector<uint8_t>& bytes, size_t at, size_t width) {
  std::string s;
  for (size_t i = at; i < at + width && i < bytes.size() && bytes[i]; ++i)
    s.push_back(bytes[i] >= 32 && bytes[i] < 127 ? static_cast<char>(bytes[i]) : '?');
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

const char* LoopName(uint8_t mode) {
  switch (mode) {
    case kLoopForward: return "forward";
    case kLoopPingPong: return "ping-pong";
    default: return "none";
  }
}

void PrintText(const ModulePlayer& m, const std::vector<uint8_t>& bytes) {
  const unsigned version = bytes.size() >= 60 ? bytes[58] | bytes[59] << 8 : 0;
  std::printf("name           %s\n", HeaderText(bytes, 17, 20).c_str());
  std::printf("tracker        %s\n", HeaderText(bytes, 38, 20).c_str());
  std::printf("version        %x.%02x\n", version >> 8, version & 0xFF);
  std::printf("size           %zu bytes\n", bytes.size());
  std::printf("channels       %d\n", m.channelCount);
  std::printf("song length    %d (restart at %d)\n", m.songLength, m.restartPosition);
  std::printf("tempo / bpm    %d / %d\n", m.defaultTempo, m.defaultBpm);
  std::printf("flags          %u (%s frequency table)\n", m.flags, (m.flags & 1) ? "linear" : "amiga");
  std::printf("orders        ");
  for (int i = 0; i < m.songLength; ++i) std::printf(" %d", m.orderTable[i]);
  std::printf("\npatterns       %d slots (%d used by the song)\n", m.patternSlotCount, m.usedPatternCount);
  for (int p = 0; p < m.patternSlotCount; ++p)
    std::printf("  %3d  rows %3d  packed %5u bytes\n", p, m.patterns[p].rows, m.patterns[p].packedSize);
  std::printf("instruments    %d\n", m.instrumentCount);
  for (int i = 0; i < m.instrumentCount; ++i) {
    const InstrumentRecord& ins = m.instruments[i];
    std::printf("  %3d  %d sample%s\n", i + 1, ins.sampleCount, ins.sampleCount == 1 ? "" : "s");
    for (int j = 0; j < ins.sampleCount; ++j) {
      const SampleRecord& s = *ins.samples[j];
      std::printf("       %2d  length %7u  loop %s %u+%u  volume %2u  finetune %4d  panning %3d  relative note %3d\n", j,
                  s.length, LoopName(s.loopMode), s.loopStart, s.loopLength, s.volume, s.finetune, s.panning,
                  s.relativeNote);
    }
  }
}

void PrintJson(const ModulePlayer& m, const std::vector<uint8_t>& bytes) {
  const unsigned version = bytes.size() >= 60 ? bytes[58] | bytes[59] << 8 : 0;
  std::printf("{\"name\": %s, \"tracker\": %s, \"version\": %u, \"size\": %zu,\n", JsonString(HeaderText(bytes, 17, 20)).c_str(),
              JsonString(HeaderText(bytes, 38, 20)).c_str(), version, bytes.size());
  std::printf(" \"channels\": %d, \"songLength\": %d, \"restartPosition\": %d, \"tempo\": %d, \"bpm\": %d, \"flags\": %u,\n",
              m.channelCount, m.songLength, m.restartPosition, m.defaultTempo, m.defaultBpm, m.flags);
  std::printf(" \"orders\": [");
  for (int i = 0; i < m.songLength; ++i) std::printf("%s%d", i ? ", " : "", m.orderTable[i]);
  std::printf("],\n \"patterns\": [");
  for (int p = 0; p < m.patternSlotCount; ++p)
    std::printf("%s\n  {\"rows\": %d, \"packedSize\": %u}", p ? "," : "", m.patterns[p].rows, m.patterns[p].packedSize);
  std::printf("],\n \"instruments\": [");
  for (int i = 0; i < m.instrumentCount; ++i) {
    const InstrumentRecord& ins = m.instruments[i];
    std::printf("%s\n  {\"samples\": [", i ? "," : "");
    for (int j = 0; j < ins.sampleCount; ++j) {
      const SampleRecord& s = *ins.samples[j];
      std::printf("%s{\"length\": %u, \"loop\": \"%s\", \"loopStart\": %u, \"loopLength\": %u, \"volume\": %u, "
                  "\"finetune\": %d, \"panning\": %d, \"relativeNote\": %d}",
                  j ? ", " : "", s.length, LoopName(s.loopMode), s.loopStart, s.loopLength, s.volume, s.finetune,
                  s.panning, s.relativeNote);
    }
    std::printf("]}");
  }
  std::printf("]}\n");
}

int Run(std::span<const std::string> rawArgs);
const ToolCommand kCommand{"module-info", "[FILE.xm] [--json]",
                           "prints header, orders, patterns and samples of the embedded module or a file", Run};
ToolRegistration registration(kCommand);

int Run(std::span<const std::string> rawArgs) {
  static const std::string_view switches[] = {"--json"};
  ToolArgs args = ParseToolArgs(rawArgs, {}, switches);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() > 1) return ToolUsage(kCommand);
  std::vector<uint8_t> bytes;
  std::string label = "embedded module";
  if (!args.positional.empty()) {
    label = args.positional[0];
    std::string error;
    if (!ReadInputFile(label, kMaxModuleBytes, bytes, error)) return ToolFail(error);
    if (bytes.empty()) return ToolFail(label + " is empty");
  } else {
    std::span<const uint8_t> embedded = EmbeddedResource(kModuleResourceId);
    bytes.assign(embedded.begin(), embedded.end());
  }
  InstallResourceStreamProcs();
  SetResourceOverride(kModuleResourceId, bytes);
  ModulePlayer* m = LoadModule(kModuleResourceId, nullptr);
  SetResourceOverride(kModuleResourceId, {});
  if (!m) return ToolFail(label + ": " + ModuleLoadError());
  if (HasOption(args, "--json"))
    PrintJson(*m, bytes);
  else
    PrintText(*m, bytes);
  FreeModule(m);
  return 0;
}

}  // namespace
