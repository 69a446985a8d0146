// The song notation: pitch names, the sounding-to-stored transposition under the replay
// engine's pitch rule, phrase placement and the error messages a composer sees.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "data/soundtrack/song_module.h"

namespace {

SongInstrument MakeInstrument(double pitchHz, int rel) {
  SongInstrument ins;
  ins.pitchHz = pitchHz;
  ins.relativeNote = static_cast<int8_t>(rel);
  ins.finetune = 100;
  return ins;
}

const char* kHeader =
    "channels 4\ntempo 3\nbpm 137\norder 0\n"
    "instrument 1 lead A2 29 882 finetune 100\n"
    "instrument 2 hat B6 29 100 finetune 100\n";

SongModule Compile(const std::string& body) {
  SongModule song;
  std::string error;
  EXPECT_TRUE(CompileSong(std::string(kHeader) + body, song, error)) << error;
  return song;
}

std::string CompileError(const std::string& body) {
  SongModule song;
  std::string error;
  EXPECT_FALSE(CompileSong(std::string(kHeader) + body, song, error));
  return error;
}

const SongCell& At(const SongModule& song, int pattern, int row, int channel) {
  return song.patterns[pattern].cells[row * song.channels + channel - 1];
}

struct CellWant {
  int row, channel, note, instrument, volume;
};
// Note, instrument and volume of each listed cell of one pattern (channels counted from 1).
void ExpectCells(const SongModule& song, int pattern, std::initializer_list<CellWant> cells) {
  for (const CellWant& w : cells) {
    const SongCell& c = At(song, pattern, w.row, w.channel);
    EXPECT_EQ((std::array{int(c.note), int(c.instrument), int(c.volume)}),
              (std::array{w.note, w.instrument, w.volume}))
        << "pattern " << pattern << " row " << w.row << " channel " << w.channel;
  }
}

}  // namespace

TEST(SongPitch, NamesUseMidiNumbering) {
  const std::pair<const char*, int> cases[] = {{"A4", 69}, {"C4", 60}, {"C#4", 61}, {"Bb3", 58}, {"G#1", 32},
                                                {"H4", -1}, {"A", -1},  {"A#", -1},  {"A10", -1}};
  for (const auto& [name, midi] : cases) EXPECT_EQ(ParsePitchName(name), midi) << name;
}

TEST(SongPitch, WrittenC4SoundsTwoSemitonesDownOnEveryPatchFamily) {
  // C-4 (stored note 49) on a relative-note-29 sample plays at 46714 Hz against a 44100 Hz
  // sample rate: a 110 Hz patch sounds A#2.
  const SongInstrument sine110 = MakeInstrument(110.0, 29);
  EXPECT_NEAR(SoundingHz(sine110, 49), 110.0 * 46714.0 / 44100.0, 1e-9);
  // patch pitch, relative note, what C-4 sounds (A#2, A#1, A#3, A#2) to within a cent
  for (const auto& [hz, rel, sounds] : {std::tuple{440.0, 5, 116.54}, {55.0, 29, 58.27}, {220.0, 29, 233.08},
                                       {220.0, 17, 116.54}})
    EXPECT_NEAR(SoundingHz(MakeInstrument(hz, rel), 49), sounds, sounds * 4e-4) << hz << " " << rel;
  // and back: the composer writes A#2 and gets C-4
  EXPECT_EQ(WrittenNoteFor(sine110, ParsePitchName("A#2")), 49);
  EXPECT_EQ(WrittenNoteFor(MakeInstrument(55.0, 29), ParsePitchName("A1")), 48);
  // beyond the 96 stored notes there is no answer
  EXPECT_EQ(WrittenNoteFor(sine110, ParsePitchName("C9")), 0);
}

TEST(SongCompiler, PhrasesRepeatTransposeAndScaleVolumes) {
  SongModule song = Compile(
      "phrase p lead 8 A2 x@32 ^ .\n"
      "pattern 0\n"
      "  2 p\n"
      "  3 p +2 @32 rows 16-40\n");
  // Channel 2: A2 (48 on a 110 Hz relative-29 sample; full volume needs no column) every 32
  // rows, a hit at the instrument's own pitch, key-off, rest.
  ExpectCells(song, 0, {{0, 2, 48, 1, 0}, {4, 2, 0, 0, 0}, {8, 2, 48, 1, 0x10 + 32}, {16, 2, 97, 0, 0},
                        {24, 2, 0, 0, 0}, {32, 2, 48, 1, 0}});
  // Channel 3: starts at row 16, two semitones up, volumes halved, stops after row 40.
  ExpectCells(song, 0, {{0, 3, 0, 0, 0}, {16, 3, 50, 1, 0x10 + 32}, {24, 3, 50, 1, 0x10 + 16}, {32, 3, 97, 0, 0},
                        {40, 3, 0, 0, 0}, {48, 3, 0, 0, 0}});
}

TEST(SongCompiler, LaterPlacementsAndDerivedPatternsOverrideRanges) {
  SongModule song = Compile(
      "phrase a lead 4 A2\n"
      "phrase b hat 1 x\n"
      "pattern 0\n"
      "  1 a\n"
      "pattern 1 like 0\n"
      "  1 b rows 8-9\n");
  ExpectCells(song, 1, {{4, 1, 48, 1, 0}, {8, 1, 48, 2, 0}, {9, 1, 48, 2, 0}, {12, 1, 48, 1, 0}});
  ExpectCells(song, 0, {{8, 1, 48, 1, 0}});  // the original is unchanged
}

TEST(SongCompiler, PannedPartsNameTheirInstrumentOnlyWhereTheChannelLosesIt) {
  SongModule song = Compile(
      "phrase p lead 4 A2@40 A2@20 ^ A2@30\n"
      "phrase q hat 16 x\n"
      "pattern 0\n"
      "  1 p pan 200 rows 0-31\n"
      "  1 q rows 20-20\n");
  // The first note sets the panning (at the instrument's volume), the next ones only their
  // volume; a key-off would close the channel for notes without an instrument: volume 0 instead.
  ExpectCells(song, 0, {{0, 1, 48, 1, 0xC0 | (200 >> 4)}, {4, 1, 48, 0, 0x10 + 20}, {8, 1, 0, 0, 0x10},
                        {12, 1, 48, 0, 0x10 + 30}});
  // An unpanned note of another instrument resets the channel: its key-off stays a key-off and
  // the next note names its instrument and panning again.
  ExpectCells(song, 0, {{20, 1, 48, 2, 0}, {24, 1, 97, 0, 0}, {28, 1, 48, 1, 0xC0 | (200 >> 4)}});
  EXPECT_EQ(CompileError("phrase p lead 8 A2\npattern 0\n  1 p pan 300\n"), "line 9: bad panning: 300");
}

TEST(SongCompiler, PannedPartsCarryTheirChannelAcrossOrders) {
  // orders 0 1 1 2 3: pattern 1 is only entered holding the lead panned at 200, so its first note
  // keeps its volume; pattern 2 leaves the hat, so pattern 3 names the lead and panning again
  SongModule song = Compile(
      "order 1 1 2 3\n"
      "phrase p lead 16 A2@40\n"
      "phrase q hat 16 x\n"
      "pattern 0\n  1 p pan 200\n"
      "pattern 1\n  1 p pan 200\n"
      "pattern 2\n  1 q\n"
      "pattern 3\n  1 p pan 200\n");
  ExpectCells(song, 0, {{0, 1, 48, 1, 0xC0 | (200 >> 4)}});  // the song starts holding nothing
  ExpectCells(song, 1, {{0, 1, 48, 0, 0x10 + 40}});
  ExpectCells(song, 3, {{0, 1, 48, 1, 0xC0 | (200 >> 4)}});
}

TEST(SongCompiler, ErrorsNameTheLine) {
  // the header takes six lines, the body starts on line 7
  EXPECT_EQ(CompileError("phrase p lead 8 Q2\n"), "line 7: bad token: Q2");
  EXPECT_EQ(CompileError("pattern 0\n  2 nothing\n"), "line 8: unknown phrase: nothing");
  EXPECT_EQ(CompileError("phrase p lead 8 C9\npattern 0\n  1 p\n"), "line 9: pitch out of range for lead in p");
  EXPECT_EQ(CompileError("phrase p piano 8 A2\n"), "line 7: unknown instrument: piano");
  SongModule song;
  std::string error;
  EXPECT_FALSE(CompileSong("channels 4\ntempo 3\nbpm 137\n", song, error));
  EXPECT_EQ(error, "line 0: the order table is empty");
}

TEST(SongCompiler, SharpsAreNotComments) {
  SongModule song = Compile("phrase p lead 64 C#3 # a comment\npattern 0\n  1 p\n");
  EXPECT_EQ(At(song, 0, 0, 1).note, WrittenNoteFor(song.instruments[0], ParsePitchName("C#3")));
}
