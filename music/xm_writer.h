// music/xm_writer.h: writes extended modules (the tracker format the engine plays) from plain
// records: header, order table, patterns of cells, instruments with their samples. Used by the
// song compiler and the tests, which build every module they need instead of shipping binary
// fixtures.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One pattern cell as a tracker shows it: note 0 = none, 1..96 = C-0..B-7, 97 = key off.
struct XmCell {
  uint8_t note = 0;
  uint8_t instrument = 0;  // 0 = none, 1..128
  uint8_t volume = 0;      // volume-column byte
  uint8_t effect = 0;
  uint8_t param = 0;
};

inline constexpr uint8_t kXmKeyOff = 97;

// rows x channels cells, row-major (row r, channel c at r * channels + c).
struct XmPattern {
  int rows = 64;
  std::vector<XmCell> cells;
};

// Loop types as the format stores them in the sample type byte.
enum class XmLoop : uint8_t { None = 0, Forward = 1, PingPong = 2 };

// Lengths and loop points are counted in sample values, whatever the width.
struct XmSample {
  std::string name;
  uint32_t length = 0;
  uint32_t loopStart = 0;
  uint32_t loopLength = 0;
  XmLoop loop = XmLoop::None;
  uint8_t volume = 64;
  int8_t finetune = 0;
  uint8_t panning = 128;
  int8_t relativeNote = 0;
  bool sixteenBit = true;
  // Absolute values (8-bit samples use -128..127). Empty: `length` zero values are stored.
  // The writer stores them delta-encoded, as the format wants.
  std::vector<int16_t> data;
};

struct XmInstrument {
  std::string name;
  std::array<uint8_t, 96> keymap{};  // sample slot per note, usually all 0
  std::vector<XmSample> samples;     // at most 16
};

struct XmModule {
  std::string name;
  std::string trackerName = "vale";
  uint16_t restartPosition = 0;
  uint16_t channels = 10;
  uint16_t flags = 1;  // bit 0: linear frequency table
  uint16_t tempo = 3;
  uint16_t bpm = 137;
  std::vector<uint8_t> orders;  // song length = orders.size(), at most 256
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

// A pattern of `rows` empty rows for `channels` channels.
XmPattern MakeEmptyPattern(int rows, int channels);
// The cell at (row, channel); the pattern must have been sized for `channels`.
XmCell& PatternCellAt(XmPattern& pattern, int channels, int row, int channel);

// Packs one pattern's cells the way the format stores them: a byte with bit 7 set and a mask of
// the fields that follow, or five raw bytes when all fields are present. An all-empty pattern packs
// to nothing.
std::vector<uint8_t> PackXmPattern(const XmPattern& pattern, int channels);

// The whole file. False with a reason when the records cannot be stored (too many orders,
// patterns, instruments or samples, wrong cell counts, oversized packed patterns).
bool WriteXmModule(const XmModule& module, std::vector<uint8_t>& out, std::string& error);
