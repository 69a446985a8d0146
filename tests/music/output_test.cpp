// Playback start and stop, the position records and the outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "music/load_ahead.h"
#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"
#include "music/render.h"
#include "music/stream.h"
#include "platform/random.h"
#include "platform/thread.h"
#include "tests/music/test_modules.h"

namespace {

// The row module (16-row patterns at tempo 3 and 137 BPM, a row lasts 3 x 804 = 2412 frames),
// freed with whatever output the test opened.
class Playback : public ::testing::Test {
 protected:
  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadRowModule(bytes);
  void SetUp() override { ASSERT_NE(p, nullptr); }
  void TearDown() override {
    FreeModule(p);
    CloseWaveOutput();
    InstallAudioDevice({});
  }
};

TEST_F(Playback, PositionRecordsFollowTheTicks) {
  EXPECT_FALSE(StartPlayback(nullptr));
  EXPECT_FALSE(StopPlayback(nullptr));
  EXPECT_EQ(GetAudibleOrder(nullptr), 0);
  EXPECT_EQ(GetAudibleRow(nullptr), 0);
  EXPECT_FALSE(FreeModule(nullptr));
  ASSERT_TRUE(OpenOfflineOutput(44100));
  ASSERT_TRUE(StartPlayback(p));
  EXPECT_EQ(CurrentPlayer(), p);
  // Each record holds the position after its block's last tick: rows played by the end of block
  // b; past the song's 80 rows it goes round the restart position, the last order.
  auto rowsAfter = [](int64_t b) {
    const int64_t rows = ((b + 1) * 884 - 1) / 2412;
    return static_cast<int>(rows < 80 ? rows : 64 + (rows - 80) % 16);
  };
  auto expectRecordsUpTo = [&](int64_t blocks) {  // the ring holds the last 100 blocks' records
    for (int64_t b = blocks - 100; b < blocks; ++b) {
      EXPECT_EQ(playback.positions[b % 100].blockOrder.load(), rowsAfter(b) / 16) << b;
      EXPECT_EQ(playback.positions[b % 100].blockRow.load(), rowsAfter(b) % 16) << b;
    }
  };
  expectRecordsUpTo(100);
  // The output moves on one block: the block it left is rendered again, one ring further on.
  AdvanceOfflineOutput(884);
  EXPECT_EQ(playback.playBlock.load(), 1);
  EXPECT_EQ(GetAudibleRow(p), rowsAfter(1) % 16);
  expectRecordsUpTo(101);
  // Moved on further than the ring holds: the blocks are refilled up to where the output is.
  AdvanceOfflineOutput(884 * 150);
  EXPECT_EQ(playback.playBlock.load(), 51);
  expectRecordsUpTo(151);
  AdvanceOfflineOutput(884 * 99);  // past the song's end
  expectRecordsUpTo(250);
  EXPECT_TRUE(StopPlayback(p));
  EXPECT_TRUE(StopPlayback(p));  // nothing left to do, still fine
  EXPECT_EQ(CurrentPlayer(), nullptr);
}

TEST_F(Playback, TickAtTheBlockEndRunsAtTheNextBlockStart) {
  ASSERT_TRUE(OpenOfflineOutput(44100));
  static std::vector<int32_t> ticksAt;
  ticksAt.clear();
  ASSERT_TRUE(StartPlayback(p));
  // A tick procedure whose ticks last exactly one block.
  p->tickProc = [](ModulePlayer* q) {
    ticksAt.push_back(playback.writeBlock);
    q->samplesPerTick = 884;
  };
  p->samplesUntilTick = 0;
  for (int i = 0; i < 3; ++i) {
    const int32_t w = playback.writeBlock;
    FillBlock();
    EXPECT_EQ(p->samplesUntilTick, 0);
    EXPECT_EQ(ticksAt.back(), w);
  }
  EXPECT_EQ(ticksAt.size(), 3u);
}

TEST_F(Playback, SilentOutputKeepsTimeWithTheWallClock) {
  InstallStreamProcs(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(OpenWaveOutput(44100)) << "the output needs the stream procedures";
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  InstallAudioDevice({});
  ASSERT_TRUE(OpenWaveOutput(44100));
  ASSERT_EQ(ActiveOutputKind(), OutputKind::WallClock);
  ASSERT_TRUE(StartPlayback(p));
  EXPECT_FALSE(playback.threadExited.load());
  // The GUI side reads positions while the mixing thread refills.
  int lastRow = 0;
  for (int i = 0; i < 30; ++i) {
    lastRow = GetAudibleRow(p) + GetAudibleOrder(p) * 16;
    SleepThreadMilliseconds(5);
  }
  EXPECT_GT(playback.playBlock.load(), 2);
  EXPECT_GT(lastRow, 0);
  EXPECT_TRUE(FreeModule(p));  // stops the thread first
  p = nullptr;
  EXPECT_TRUE(playback.threadExited.load());
}

// A device whose frames the test pulls itself, holding kHeldFrames in a buffer of its own.
constexpr int32_t kHeldFrames = 2000;  // a little over two blocks
bool Open(int32_t) { return true; }
void Noop() {}
int32_t HeldFrames() { return kHeldFrames; }

// The mixing thread polls every 5 ms: gives it time for a few passes (up to 2 s on a busy
// machine when a change is awaited).
int32_t PlayBlockAfterPasses(int32_t awaitedChangeFrom = -1) {
  SleepThreadMilliseconds(40);
  for (int i = 0; i < 200 && playback.playBlock.load() == awaitedChangeFrom; ++i) SleepThreadMilliseconds(10);
  return playback.playBlock.load();
}

TEST_F(Playback, DevicePullsTheRenderedRingAndHearsOnlyFramesPastItsBuffer) {
  // What the offline output renders for the first frames...
  ASSERT_TRUE(OpenOfflineOutput(44100));
  ASSERT_TRUE(StartPlayback(p));
  const int32_t block = mixSettings.blockFrames;
  const size_t values = 2 * static_cast<size_t>(kHeldFrames + block);
  const std::vector<int16_t> reference(playback.ring.get(), playback.ring.get() + values);
  EXPECT_GT(std::count_if(reference.begin(), reference.end(), [](int16_t v) { return v != 0; }), 1000);
  StopPlayback(p);
  // ...are what the device pulls.
  InstallAudioDevice(
      {.open = Open, .start = Noop, .stop = Noop, .close = Noop, .bufferedFrames = HeldFrames});
  ASSERT_TRUE(OpenWaveOutput(44100));
  ASSERT_EQ(ActiveOutputKind(), OutputKind::Device);
  ASSERT_TRUE(StartPlayback(p));
  std::vector<int16_t> pulled(values);
  // Pulled past the first block, but still in the device's buffer: block 0 is what is heard.
  PullRingFrames(pulled.data(), kHeldFrames + block - 1);
  EXPECT_EQ(PlayBlockAfterPasses(), 0);
  // One more frame gets past the buffer's end into block 1.
  PullRingFrames(pulled.data() + values - 2, 1);
  EXPECT_EQ(PlayBlockAfterPasses(0), 1);
  EXPECT_EQ(pulled, reference);
  EXPECT_TRUE(StopPlayback(p));
}

// A device that plays the ring in place at a position the test sets.
uint64_t inPlacePlayed = 0;
const int16_t* inPlaceRing = nullptr;
void PlayInPlace(const int16_t* ring, int32_t) { inPlaceRing = ring; }
uint64_t InPlacePlayed() { return inPlacePlayed; }

TEST_F(Playback, WithoutAThreadOnlyMixingPassesRefillWhatTheDeviceHasPlayed) {
  SetMixingWithoutThread(true);
  InstallAudioDevice({.open = Open, .stop = Noop, .close = Noop, .playRing = PlayInPlace, .framesPlayed = InPlacePlayed});
  ASSERT_TRUE(OpenWaveOutput(44100));
  inPlacePlayed = 0;
  ASSERT_TRUE(StartPlayback(p));
  EXPECT_TRUE(playback.threadExited.load()) << "no mixing thread was started";
  EXPECT_EQ(inPlaceRing, playback.ring.get());
  const int32_t block = mixSettings.blockFrames;
  const uint32_t published = playback.ringPublished.load();
  inPlacePlayed = 3 * static_cast<uint64_t>(block) + 1;
  SleepThreadMilliseconds(30);
  EXPECT_EQ(playback.playBlock.load(), 0) << "nothing refills between passes";
  RunMixingPass();
  EXPECT_EQ(playback.playBlock.load(), 3);
  EXPECT_EQ(playback.ringPublished.load(), published + 3);
  RunMixingPass();  // nothing more has been played
  EXPECT_EQ(playback.ringPublished.load(), published + 3);
  EXPECT_TRUE(StopPlayback(p));
  RunMixingPass();  // stopped: nothing to refill, nothing touched
  EXPECT_EQ(playback.ring, nullptr);
  SetMixingWithoutThread(false);
}

// The render ends on the song's first pass, also when the song restarts on its last order.
TEST_F(Playback, RenderOfflineEndsASongThatRestartsOnItsLastOrder) {
  uint64_t handed = 0;
  const uint64_t all = RenderOffline(p, {0, 46}, [&](std::span<const int16_t> v) { handed += v.size() / 2; });
  EXPECT_EQ(all, handed);
  EXPECT_NEAR(static_cast<double>(all), 5 * 16 * 2412.0, 884.0);  // the range is held to the song
  const auto frames = [&](RenderRange r) { return RenderOffline(p, r, [](std::span<const int16_t>) {}); };
  EXPECT_NEAR(static_cast<double>(frames({3, 4})), 2 * 16 * 2412.0, 2 * 884.0);
  EXPECT_EQ(ActiveOutputKind(), OutputKind::None);
}

}  // namespace

// The soundtrack loaded on its own thread: the music start hands over a player whose every
// sample is the one a start on this thread synthesises, and leaves the shared random generator
// where that start leaves it (the scenes draw on from there). A loading given up is freed.
TEST(MusicStart, SoundtrackLoadedAheadIsTheOneLoadedInPlace) {
  SeedRandom(1);
  ModulePlayer* inPlace = OfflineMusicStart();
  ASSERT_NE(inPlace, nullptr) << ModuleLoadError();
  const uint32_t stateInPlace = RandomState();
  SeedRandom(1);
  LoadSoundtrackAhead();
  EXPECT_TRUE(SoundtrackLoadingAhead());
  ModulePlayer* ahead = OfflineMusicStart();
  EXPECT_FALSE(SoundtrackLoadingAhead());
  ASSERT_NE(ahead, nullptr);
  EXPECT_EQ(RandomState(), stateInPlace);
  ASSERT_EQ(ahead->instrumentCount, inPlace->instrumentCount);
  for (int32_t i = 0; i < inPlace->instrumentCount; ++i) {
    const InstrumentRecord &a = ahead->instruments[i], &b = inPlace->instruments[i];
    ASSERT_EQ(a.sampleCount, b.sampleCount) << i;
    for (int32_t j = 0; j < b.sampleCount; ++j) {
      ASSERT_EQ(a.samples[j]->length, b.samples[j]->length) << i << " " << j;
      EXPECT_TRUE(std::equal(b.samples[j]->data, b.samples[j]->data + b.samples[j]->length, a.samples[j]->data))
          << "instrument " << i << " sample " << j;
    }
  }
  FreeModule(ahead);
  FreeModule(inPlace);
  CloseWaveOutput();

  LoadSoundtrackAhead();
  DropSoundtrackLoadedAhead();
  EXPECT_FALSE(SoundtrackLoadingAhead());
  EXPECT_EQ(TakeSoundtrackLoadedAhead(), nullptr);
}
