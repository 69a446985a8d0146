// The song as the compiler builds it: a plain module record (header, orders, unpacked
// patterns, instrument table) and the parser that turns the readable song source into it.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SongCell {
  uint8_t note = 0;        // 0 none, 1..96 written note (1 = C-0), 97 key-off
  uint8_t instrument = 0;  // 0 none, 1..128
  uint8_t volume = 0;      // volume column: 0 none, 0x10..0x50 set volume
  uint8_t effect = 0;
  uint8_t parameter = 0;
};

struct SongPattern {
  int rows = 64;
  std::vector<SongCell> cells;  // rows x channels, row-major
};

struct SongInstrument {
  std::string name;
  double pitchHz = 440.0;      // pitch of the synthesised sample at its own rate
  uint32_t length = 0;         // sample values
  int8_t relativeNote = 0;
  uint8_t volume = 64;
  int8_t finetune = 0;
  uint8_t panning = 128;
};

struct SongModule {
  std::string name;
  int channels = 0;
  int tempo = 0;
  int bpm = 0;
  int restart = 0;
  int flags = 1;  // bit 0: linear frequency table
  std::vector<uint8_t> orders;
  std::vector<SongPattern> patterns;
  std::vector<SongInstrument> instruments;
};

// Parses a song source. On failure returns false with "line N: message" in error.
bool CompileSong(std::string_view source, SongModule& song, std::string& error);

// Written note (1..96) that makes instrument sound closest to the given sounding pitch
// (MIDI numbering, A4 = 69), under the replay engine's linear period rule and a 44100 Hz
// mixing rate; 0 when no written note reaches it.
int WrittenNoteFor(const SongInstrument& instrument, int soundingMidi);
// Sounding frequency of a written note on an instrument, in Hz.
double SoundingHz(const SongInstrument& instrument, int writtenNote);

// Sounding pitch from a name such as "A2", "C#4" or "Bb3" (MIDI numbering); -1 if malformed.
int ParsePitchName(std::string_view name);
