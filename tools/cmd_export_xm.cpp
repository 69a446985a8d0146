// vale-tool export-xm: writes the soundtrack as an ordinary extended module with the samples
// the synthesiser makes stored in it (16-bit, delta-encoded by the writer), so that any
// tracker or player opens it and plays what the program plays.
#include <cstring>
#include <string>
#include <vector>

#include "music/module.h"
#include "music/stream.h"
#include "music/xm_writer.h"
#include "platform/output_file.h"
#include "tools/tool.h"

namespace {

int RunExportXm(std::span<const std::string> args);

const ToolCommand kExportXm{"export-xm", "OUT.xm [--module IN.xm]",
                            "write the soundtrack with its synthesised samples as a plain XM module",
                            RunExportXm};
const ToolRegistration registration(kExportXm);

uint32_t ReadU32(std::span<const uint8_t> b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t ReadU16(std::span<const uint8_t> b, size_t at) {
  return at + 2 > b.size() ? 0 : static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
std::string ReadName(std::span<const uint8_t> b, size_t at, size_t width) {
  std::string name;
  for (size_t i = 0; i < width && at + i < b.size() && b[at + i] != 0; ++i) name.push_back(static_cast<char>(b[at + i]));
  return name;
}

// The engine's loader keeps no names; walk the module bytes once to carry the song's and the
// instruments' names over to the exported file.
void ReadNames(std::span<const uint8_t> b, std::string& songName, std::vector<std::string>& instrumentNames) {
  songName = ReadName(b, 17, 20);
  size_t at = 60 + ReadU32(b, 60);
  uint16_t patterns = ReadU16(b, 70), instruments = ReadU16(b, 72);
  for (uint16_t p = 0; p < patterns && at < b.size(); ++p) at += ReadU32(b, at) + ReadU16(b, at + 7);
  for (uint16_t i = 0; i < instruments && at < b.size(); ++i) {
    instrumentNames.push_back(ReadName(b, at + 4, 22));
    uint32_t headerSize = ReadU32(b, at);
    uint16_t samples = ReadU16(b, at + 27);
    size_t next = at + headerSize;
    uint64_t data = 0;
    for (uint16_t s = 0; s < samples; ++s) data += ReadU32(b, next + 40 * s);
    at = next + 40 * static_cast<size_t>(samples) + data;
  }
}

XmSample ExportSample(const SampleRecord& s, std::string name) {
  XmSample out;
  out.name = std::move(name);
  out.length = s.length;
  out.volume = s.volume;
  out.finetune = s.finetune;
  out.panning = static_cast<uint8_t>(s.panning);
  out.relativeNote = s.relativeNote;
  out.sixteenBit = true;
  if (s.loopMode == kLoopForward || s.loopMode == kLoopPingPong) {
    out.loop = s.loopMode == kLoopForward ? XmLoop::Forward : XmLoop::PingPong;
    out.loopStart = s.loopStart;
    out.loopLength = s.loopLength;
  }
  if (s.data != nullptr) out.data.assign(s.data, s.data + s.length);
  return out;
}

XmModule ExportModule(const ModulePlayer& player, std::span<const uint8_t> moduleBytes) {
  XmModule xm;
  std::vector<std::string> names;
  ReadNames(moduleBytes, xm.name, names);
  xm.restartPosition = static_cast<uint16_t>(player.restartPosition);
  xm.channels = static_cast<uint16_t>(player.channelCount);
  xm.flags = player.flags;
  xm.tempo = static_cast<uint16_t>(player.defaultTempo);
  xm.bpm = static_cast<uint16_t>(player.defaultBpm);
  xm.orders.assign(player.orderTable.begin(), player.orderTable.begin() + player.songLength);
  for (int32_t p = 0; p < player.patternSlotCount; ++p) {
    const PatternSlot& slot = player.patterns[p];
    XmPattern pattern = MakeEmptyPattern(slot.rows, player.channelCount);
    for (size_t k = 0; k < pattern.cells.size(); ++k) {
      const PatternCell& c = slot.cells[k];
      pattern.cells[k] = XmCell{c.note == kKeyOffNote ? kXmKeyOff : c.note, c.instrument, c.volume, c.effect,
                                c.parameter};
    }
    xm.patterns.push_back(std::move(pattern));
  }
  for (int16_t i = 0; i < player.instrumentCount; ++i) {
    const InstrumentRecord& ins = player.instruments[i];
    XmInstrument out;
    out.name = i < static_cast<int>(names.size()) ? names[i] : "";
    out.keymap = ins.keymap;
    for (int32_t s = 0; s < ins.sampleCount; ++s) out.samples.push_back(ExportSample(*ins.samples[s], out.name));
    xm.instruments.push_back(std::move(out));
  }
  return xm;
}

int RunExportXm(std::span<const std::string> args) {
  static const std::string_view valueOptions[] = {"--module"};
  ToolArgs parsed = ParseToolArgs(args, valueOptions);
  if (!parsed.error.empty()) return ToolFail(parsed.error, 2);
  if (parsed.positional.size() != 1) return ToolUsage(kExportXm);

  std::string error;
  std::vector<uint8_t> moduleFile;
  const std::string* path = FindOption(parsed, "--module");
  if (path) {
    if (!ReadInputFile(*path, kMaxModuleBytes, moduleFile, error)) return ToolFail(error);
    // An empty file is not the embedded song.
    if (moduleFile.empty()) return ToolFail(*path + " is empty");
    SetResourceOverride(kModuleResourceId, moduleFile);
  }
  const std::span<const uint8_t> moduleBytes = path ? std::span<const uint8_t>(moduleFile) : EmbeddedResource(kModuleResourceId);

  // Loaded as the music start loads it: every sample synthesised from the patch table.
  ModulePlayer* player = LoadSoundtrack();
  SetResourceOverride(kModuleResourceId, {});
  if (player == nullptr) return ToolFail(std::string("the module does not load: ") + ModuleLoadError());
  if (!ModuleHoldsSong(*player)) {
    FreeModule(player);
    return ToolFail((path ? *path : std::string("the embedded module")) + " holds no song");
  }
  XmModule xm = ExportModule(*player, moduleBytes);
  FreeModule(player);

  std::vector<uint8_t> bytes;
  if (!WriteXmModule(xm, bytes, error) || !WriteWholeFile(parsed.positional[0], bytes, error)) return ToolFail(error);
  return 0;
}

}  // namespace
