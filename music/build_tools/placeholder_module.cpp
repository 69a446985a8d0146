// Writes the placeholder soundtrack used when no song is built: the song's layout (47 orders of
// 64-row patterns, 10 channels, tempo 3, 137 BPM, 20 one-sample instruments whose sample lengths
// match the 20 synthesis patches) with a plain groove, so the engine and the schedule can run.
#include <cstdio>
#include <string>

#include "music/xm_writer.h"

namespace {

constexpr int kChannels = 10;
constexpr uint32_t kLengths[20] = {88200, 11025, 882,  44100, 44100, 4410, 4410, 4410, 4410,  4410,
                                   8820,  8820,  2206, 4410,  44100, 8821, 22050, 88200, 88200, 88200};
constexpr int8_t kRelativeNotes[20] = {5, 5, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 17, 29, 29, 29};
constexpr uint8_t kOrders[47] = {3,  4,  4,  5,  6,  7,  7,  7,  10, 11, 11, 12, 13, 14, 14, 14,
                                 15, 14, 14, 14, 10, 10, 10, 10, 7,  7,  7,  7,  11, 11, 11, 11,
                                 16, 16, 16, 16, 17, 17, 17, 17, 17, 17, 17, 17, 18, 19, 20};
// C-4 is note 49; the bass walks through a short progression per pattern.
constexpr uint8_t kRoots[4] = {37, 41, 44, 39};

void Put(XmPattern& p, int row, int channel, uint8_t note, uint8_t instrument, uint8_t volume = 0) {
  XmCell& c = PatternCellAt(p, kChannels, row, channel);
  c.note = note;
  c.instrument = instrument;
  c.volume = volume;
}

XmPattern MakeGroove(int index) {
  XmPattern p = MakeEmptyPattern(64, kChannels);
  const uint8_t root = kRoots[index % 4];
  const bool busy = index >= 7;
  for (int row = 0; row < 64; ++row) {
    if (row % 8 == 0) Put(p, row, 0, 49, 11);                      // kick
    if (row % 4 == 2) Put(p, row, 1, 49, 13, busy ? 0x40 : 0x28);  // hat
    if (busy && row % 16 == 8) Put(p, row, 2, 49, 14);             // snare
    if (row % 16 == 0) Put(p, row, 3, root, 4, 0x50);              // bass
    if (row % 16 == 12) Put(p, row, 3, kXmKeyOff, 0);
    if (busy && row % 4 == 0) Put(p, row, 4 + (row / 4) % 2, static_cast<uint8_t>(root + 24 + (row / 8) % 3 * 4), static_cast<uint8_t>(6 + index % 5), 0x30);
  }
  Put(p, 0, 6, static_cast<uint8_t>(root + 12), 18, 0x20);  // pad under the pattern
  Put(p, 60, 6, kXmKeyOff, 0);
  if (index % 4 == 0) Put(p, 0, 7, 49, 15, 0x30);  // crash on the phrase
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vale-placeholder-xm OUT.xm\n");
    return 2;
  }
  XmModule m;
  m.name = "placeholder";
  m.channels = kChannels;
  m.flags = 1;
  m.tempo = 3;
  m.bpm = 137;
  m.orders.assign(std::begin(kOrders), std::end(kOrders));
  m.patterns.push_back(MakeEmptyPattern(128, kChannels));
  for (int i = 1; i <= 20; ++i) m.patterns.push_back(MakeGroove(i));
  for (int i = 0; i < 20; ++i) {
    XmInstrument ins;
    ins.name = "patch " + std::to_string(i);
    XmSample s;
    s.length = kLengths[i];
    s.volume = 64;
    s.finetune = 100;
    s.panning = 128;
    s.relativeNote = kRelativeNotes[i];
    ins.samples.push_back(s);
    m.instruments.push_back(ins);
  }
  std::string error;
  if (!SaveXmModule(m, argv[1], error)) {
    std::fprintf(stderr, "vale-placeholder-xm: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
