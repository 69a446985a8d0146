// Extended Module writer for the song compiler: header, packed patterns, one 16-bit
// no-loop sample per instrument.
#include "data/soundtrack/song_xm.h"

#include <cstring>
#include <string>

namespace {

struct Out {
  std::vector<uint8_t> bytes;
  void U8(unsigned v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(unsigned v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
  void U32(uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  void Text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
  }
  void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

void PackPattern(Out& out, const SongPattern& pattern, int channels) {
  std::vector<uint8_t> packed;
  for (const SongCell& c : pattern.cells) {
    uint8_t mask = 0x80;
    if (c.note) mask |= 1;
    if (c.instrument) mask |= 2;
    if (c.volume) mask |= 4;
    if (c.effect) mask |= 8;
    if (c.parameter) mask |= 16;
    packed.push_back(mask);
    if (c.note) packed.push_back(c.note);
    if (c.instrument) packed.push_back(c.instrument);
    if (c.volume) packed.push_back(c.volume);
    if (c.effect) packed.push_back(c.effect);
    if (c.parameter) packed.push_back(c.parameter);
  }
  bool empty = true;
  for (uint8_t b : packed) empty = empty && b == 0x80;
  out.U32(9);
  out.U8(0);
  out.U16(static_cast<unsigned>(pattern.rows));
  out.U16(empty ? 0 : static_cast<unsigned>(packed.size()));
  if (!empty) out.bytes.insert(out.bytes.end(), packed.begin(), packed.end());
  (void)channels;
}

}  // namespace

std::vector<uint8_t> WriteSongXm(const SongModule& song, std::span<const std::vector<int16_t>> samples) {
  Out out;
  out.Text("Extended Module: ", 17);
  out.Text(song.name, 20);
  out.U8(0x1A);
  out.Text("vale song compiler", 20);
  out.U16(0x0104);
  out.U32(276);
  out.U16(static_cast<unsigned>(song.orders.size()));
  out.U16(static_cast<unsigned>(song.restart));
  out.U16(static_cast<unsigned>(song.channels));
  out.U16(static_cast<unsigned>(song.patterns.size()));
  out.U16(static_cast<unsigned>(song.instruments.size()));
  out.U16(static_cast<unsigned>(song.flags));
  out.U16(static_cast<unsigned>(song.tempo));
  out.U16(static_cast<unsigned>(song.bpm));
  for (size_t i = 0; i < 256; ++i) out.U8(i < song.orders.size() ? song.orders[i] : 0);
  for (const SongPattern& p : song.patterns) PackPattern(out, p, song.channels);
  for (size_t i = 0; i < song.instruments.size(); ++i) {
    const SongInstrument& ins = song.instruments[i];
    bool given = i < samples.size();
    uint32_t length = given ? static_cast<uint32_t>(samples[i].size()) : ins.length;
    out.U32(243);
    out.Text(ins.name, 22);
    out.U8(0);                 // type
    out.U16(1);                // one sample
    out.U32(40);               // sample header size
    out.Zeros(96);             // keymap: every note on sample 0
    out.Zeros(48 + 48 + 14);   // no envelopes, no vibrato
    out.U16(0);                // fadeout
    out.Zeros(2);              // pad to the 243-byte header
    out.U32(length * 2);
    out.U32(0);
    out.U32(0);
    out.U8(ins.volume);
    out.U8(static_cast<uint8_t>(ins.finetune));
    out.U8(0x10);              // 16-bit, no loop
    out.U8(ins.panning);
    out.U8(static_cast<uint8_t>(ins.relativeNote));
    out.U8(0);
    out.Text(ins.name, 22);
    if (!given) {
      out.Zeros(static_cast<size_t>(length) * 2);
      continue;
    }
    int16_t previous = 0;
    for (int16_t v : samples[i]) {
      out.U16(static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous)));
      previous = v;
    }
  }
  return out.bytes;
}
