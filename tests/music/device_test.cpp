// The SDL audio device as the music's output, on SDL's dummy driver (no sound card involved).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "music/module.h"
#include "music/output.h"
#include "platform/audio_device.h"
#include "tests/music/test_modules.h"

namespace {

bool OpenDevice(int32_t rate) { return OpenAudioDevice(rate, PullRingFrames); }

TEST(AudioDevice, PlaysTheRingAndTheClockFollows) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadRowModule(bytes);
  ASSERT_NE(p, nullptr);
  InstallAudioDevice({OpenDevice, StartAudioDevice, StopAudioDevice, CloseAudioDevice});
  ASSERT_TRUE(OpenWaveOutput(44100));
  if (ActiveOutputKind() != OutputKind::Device) GTEST_SKIP() << "the dummy audio driver is not available";
  ASSERT_TRUE(StartPlayback(p));
  for (int i = 0; i < 400 && playback.framesPlayed.load() < 8840; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(playback.framesPlayed.load(), 8840u);
  for (int i = 0; i < 100 && playback.playBlock.load() < 5; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(playback.playBlock.load(), 5);
  EXPECT_TRUE(FreeModule(p));
  CloseWaveOutput();
  InstallAudioDevice({});
}

}  // namespace
