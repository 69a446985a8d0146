// vale-tool render-audio: the music rendered offline to a 16-bit stereo 44100 Hz WAV file.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "music/module.h"
#include "music/byte_writer.h"
#include "music/render.h"
#include "music/song_position.h"
#include "music/stream.h"
#include "platform/output_file.h"
#include "tools/tool.h"

namespace {

// "2,6" -> channels 2 and 6 (1-based); false when a number is malformed or out of 1..32.
bool ParseChannelList(const std::string& text, std::array<bool, 32>& keep) {
  keep.fill(false);
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string word = text.substr(at, comma - at);
    char* end = nullptr;
    const long c = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != 0 || c < 1 || c > 32) return false;
    keep[static_cast<size_t>(c - 1)] = true;
    at = comma + 1;
  }
  return true;
}

// Empties every cell of the channels not kept, so the others play alone, exactly as in the mix.
void SoloChannels(ModulePlayer* player, const std::array<bool, 32>& keep) {
  for (int32_t s = 0; s < player->patternSlotCount; ++s) {
    PatternSlot& pattern = player->patterns[s];
    if (!pattern.cells) continue;
    for (int32_t r = 0; r < pattern.rows; ++r)
      for (int32_t c = 0; c < player->channelCount; ++c)
        if (c >= 32 || !keep[static_cast<size_t>(c)]) pattern.cells[static_cast<size_t>(r) * player->channelCount + c] = {};
  }
}

int Run(std::span<const std::string> rawArgs);

const ToolCommand kCommand{"render-audio", "OUT.wav [--module FILE.xm] [--from ORDER] [--to ORDER] [--channels 2,6]",
                           "renders the music offline (default: the embedded soundtrack, orders 0 to 46; "
                           "--channels plays only those channels)", Run};
ToolRegistration registration(kCommand);

int Run(std::span<const std::string> rawArgs) {
  static const std::string_view valueOptions[] = {"--module", "--from", "--to", "--channels"};
  ToolArgs args = ParseToolArgs(rawArgs, valueOptions);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1) return ToolUsage(kCommand);
  long long from = 0, to = kEndPosition.order;
  std::string error;
  if (!IntOption(args, "--from", 0, 255, from, error) || !IntOption(args, "--to", 0, 255, to, error))
    return ToolFail(error, 2);
  if (from > to) return ToolFail("--from must not be after --to", 2);
  std::array<bool, 32> keep{};
  const std::string* channels = FindOption(args, "--channels");
  if (channels && !ParseChannelList(*channels, keep)) return ToolFail("--channels wants channel numbers 1..32, such as 2,6", 2);

  std::vector<uint8_t> moduleBytes;
  ModulePlayer* player = nullptr;
  const std::string* path = FindOption(args, "--module");
  if (path) {
    if (!ReadInputFile(*path, kMaxModuleBytes, moduleBytes, error)) return ToolFail(error);
    if (moduleBytes.empty()) return ToolFail(*path + " is empty");
    InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
    SetResourceOverride(kModuleResourceId, moduleBytes);
    player = LoadModule(kModuleResourceId, nullptr);  // its own sample data, deltas decoded
    SetResourceOverride(kModuleResourceId, {});
    if (!player) return ToolFail(*path + ": " + ModuleLoadError());
  } else {
    player = LoadSoundtrack();
    if (!player) return ToolFail(std::string("embedded module: ") + ModuleLoadError());
  }

  if (!ModuleHoldsSong(*player)) {
    FreeModule(player);
    return ToolFail((path ? *path : std::string("the embedded module")) + " holds no song");
  }
  if (channels) SoloChannels(player, keep);

  const std::string& outPath = args.positional[0];
  OutputFile out;
  if (!out.Open(outPath, error)) {
    FreeModule(player);
    return ToolFail(error);
  }
  // The header is written again with the length once the song has ended.
  out.Write(WavHeader(0));
  ToolProgress bar("render-audio");
  std::vector<uint8_t> block;
  const uint64_t frames = RenderOffline(
      player, {static_cast<int32_t>(from), static_cast<int32_t>(to)},
      [&](std::span<const int16_t> values) {
        // The file is little-endian: on such a machine the values go out as they lie in memory.
        if constexpr (std::endian::native == std::endian::little) {
          out.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(values.data()), values.size_bytes()));
        } else {
          block.clear();
          for (int16_t v : values) Put16(block, static_cast<uint16_t>(v));
          out.Write(block);
        }
      },
      [&](double f) { bar.Update(f); });
  bar.Finish();
  FreeModule(player);
  out.WriteAt(0, WavHeader(static_cast<uint32_t>(frames)));
  if (!out.Commit(error)) return ToolFail(error);
  std::fprintf(stderr, "%s: %llu frames (%.2f s)\n", outPath.c_str(), static_cast<unsigned long long>(frames),
               static_cast<double>(frames) / 44100.0);
  return 0;
}

}  // namespace
