// Fuzz entry for the module loader: any bytes must load or be refused safely; a loaded module is
// then played for a few hundred ticks through the replay engine and the mixer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "music/mixer.h"
#include "music/module.h"
#include "music/replay.h"
#include "music/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;  // an empty override would fall back to the embedded module
  InstallResourceStreamProcs();
  SetResourceOverride(kModuleResourceId, std::span<const uint8_t>(data, size));
  ModulePlayer* player = LoadModule(kModuleResourceId, nullptr);
  SetResourceOverride(kModuleResourceId, {});
  if (!player) return 0;
  mixSettings = ComputeMixSettings(44100);
  ResetVoices();
  ResetPlaybackState(player);
  static std::vector<float> area(2 * 64);
  for (int tick = 0; tick < 300; ++tick) {
    ReplayStep(player);
    std::fill(area.begin(), area.end(), 0.0f);
    MixVoices(area.data(), 64);
  }
  FreeModule(player);
  return 0;
}
