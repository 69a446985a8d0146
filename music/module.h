// music/module.h: the loaded module (song header, order table, unpacked patterns, instruments
// and their samples) with its playback state, and the loader that reads it from the module
// resource through the installed stream procedures.
#pragma once
#include <array>
#include <cstdint>
#include <span>

struct Voice;
struct MemoryStream;
struct ModulePlayer;

struct PatternCell {
  uint8_t note;        // 0 none, 1..96 note (1 = C-0), 255 key off
  uint8_t instrument;  // 0 none, 1..128
  uint8_t volume;      // volume-column byte as stored
  uint8_t effect;
  uint8_t parameter;
};
static_assert(sizeof(PatternCell) == 5);

inline constexpr uint8_t kKeyOffNote = 255;

struct PatternSlot {
  int32_t rows = 0;
  PatternCell* cells = nullptr;  // rows x channelCount, row-major; owned
  uint16_t packedSize = 0;       // bytes of packed cells in the file (information only)
};

struct SampleRecord {
  int16_t* data = nullptr;  // length + 8 slots, zero beyond what the source wrote; owned
  uint32_t length = 0;
  uint32_t loopStart = 0;
  uint32_t loopLength = 0;  // loopStart + loopLength: where playback ends or turns
  uint8_t volume = 0;
  int8_t finetune = 0;
  int32_t panning = 0;
  uint8_t bits = 0;
  uint8_t loopMode = 0;  // 1 none, 2 forward, 4 ping-pong
  int8_t relativeNote = 0;
};

inline constexpr uint8_t kLoopNone = 1;
inline constexpr uint8_t kLoopForward = 2;
inline constexpr uint8_t kLoopPingPong = 4;

struct InstrumentRecord {
  int32_t sampleCount = 0;
  std::array<SampleRecord*, 16> samples{};
  std::array<uint8_t, 96> keymap{};
};

// The shared all-zero records that stand for a missing sample or instrument.
extern SampleRecord EmptySample;
extern InstrumentRecord EmptyInstrument;

struct ChannelState {
  uint8_t note = 0;
  uint8_t instrument = 0;
  SampleRecord* sample = nullptr;
  uint8_t realNote = 0;
  int32_t targetPeriod = 0;
  int32_t period = 0;  // 0 = no frequency yet
  int32_t volume = 0;
  int32_t panning = 0;  // slides may take it outside 0..255
  int32_t gate = 0;
  bool keyOff = false;
  uint8_t volumeSlideMemory = 0;
  uint8_t updateFlags = 0;
  Voice* voice = nullptr;
};

inline constexpr uint8_t kUpdateFrequency = 1;
inline constexpr uint8_t kUpdateVolume = 2;
inline constexpr uint8_t kUpdatePanning = 4;
inline constexpr uint8_t kUpdateStartNote = 8;

inline constexpr int kMaxChannels = 32;

struct ModulePlayer {
  PatternSlot* patterns = nullptr;
  InstrumentRecord* instruments = nullptr;
  int16_t songLength = 0;
  int16_t restartPosition = 0;
  int16_t channelCount = 0;
  int32_t usedPatternCount = 0;
  int32_t patternSlotCount = 0;
  int16_t instrumentCount = 0;
  uint16_t flags = 0;
  int16_t defaultTempo = 0;
  int16_t defaultBpm = 0;
  std::array<uint8_t, 256> orderTable{};
  uint8_t globalVolume = 0;
  void (*tickProc)(ModulePlayer*) = nullptr;
  // Sample-data source: (destination of `length` + 8 zeroed slots, stored byte count, stored bit
  // width, instrument index, sample index). 16-bit data as values, 8-bit data as bytes.
  void (*synthProc)(std::span<int16_t> destination, uint32_t byteCount, int32_t bits, int32_t instrument,
                    int32_t sample) = nullptr;

  // Playback state, set by playback start and changed only by the replay step.
  int32_t speed = 0;
  int32_t bpm = 0;
  int32_t samplesPerTick = 0;
  int32_t samplesUntilTick = 0;
  int32_t tick = 0;
  int32_t orderIndex = 0;
  int32_t row = 0;
  int32_t nextOrder = -1;
  int32_t nextRow = -1;
  std::array<ChannelState, kMaxChannels> channels{};
};

using SampleSynthProc = void (*)(std::span<int16_t> destination, uint32_t byteCount, int32_t bits,
                                 int32_t instrument, int32_t sample);

// Loads resource `resourceId` through the installed stream procedures. Null when the stream
// cannot be opened or the bytes are not a module this engine can hold (see ModuleLoadError).
ModulePlayer* LoadModule(int32_t resourceId, SampleSynthProc synth);
bool ParseModule(MemoryStream* stream, ModulePlayer* player);
// The music start's loading steps without the output: patch stream, stream procedures, the
// module resource with every sample synthesised from the next patch.
ModulePlayer* LoadSoundtrack();
// Runs the release hook (which waits for a running block fill and stops the module's playback),
// then releases everything. False for null.
bool FreeModule(ModulePlayer* player);
// Called by FreeModule before anything is released; playback start installs one that stops the
// module if it is the one playing, so the loader needs nothing from the output.
void SetModuleReleaseHook(void (*hook)(ModulePlayer* player));
// Why the last load failed, in words ("" after a successful load).
const char* ModuleLoadError();

// The pattern an order index plays, or null when the order or its pattern slot does not exist.
const PatternSlot* PatternForOrder(const ModulePlayer* player, int32_t orderIndex);
