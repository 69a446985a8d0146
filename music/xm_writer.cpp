#include "music/xm_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "music/byte_writer.h"

namespace {

// Fixed-width text field, padded with zeros (names longer than the field are cut).
void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) Put8(out, i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

// Instrument header size written when the instrument has samples: the fields up to the fadeout
// (241 bytes) plus two reserved bytes.
constexpr uint32_t kInstrumentHeaderSize = 243;
constexpr uint32_t kEmptyInstrumentHeaderSize = 29;
constexpr uint32_t kSampleHeaderSize = 40;

}  // namespace

XmPattern MakeEmptyPattern(int rows, int channels) {
  XmPattern p;
  p.rows = rows;
  p.cells.assign(static_cast<size_t>(std::max(rows, 0)) * static_cast<size_t>(std::max(channels, 0)), XmCell{});
  return p;
}

XmCell& PatternCellAt(XmPattern& pattern, int channels, int row, int channel) {
  return pattern.cells[static_cast<size_t>(row) * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
}

std::vector<uint8_t> PackXmPattern(const XmPattern& pattern, int channels) {
  std::vector<uint8_t> out;
  bool anyField = false;
  for (const XmCell& c : pattern.cells) {
    if (c.note || c.instrument || c.volume || c.effect || c.param) {
      anyField = true;
      break;
    }
  }
  if (!anyField) return out;
  const size_t count = static_cast<size_t>(pattern.rows) * static_cast<size_t>(channels);
  for (size_t i = 0; i < count && i < pattern.cells.size(); ++i) {
    const XmCell& c = pattern.cells[i];
    uint8_t mask = 0;
    if (c.note) mask |= 1;
    if (c.instrument) mask |= 2;
    if (c.volume) mask |= 4;
    if (c.effect) mask |= 8;
    if (c.param) mask |= 16;
    // All five present: the raw form is one byte shorter (its first byte is the note, bit 7 clear).
    if (mask == 31 && c.note < 128) {
      out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
      continue;
    }
    out.push_back(static_cast<uint8_t>(0x80 | mask));
    if (mask & 1) out.push_back(c.note);
    if (mask & 2) out.push_back(c.instrument);
    if (mask & 4) out.push_back(c.volume);
    if (mask & 8) out.push_back(c.effect);
    if (mask & 16) out.push_back(c.param);
  }
  return out;
}

bool WriteXmModule(const XmModule& m, std::vector<uint8_t>& out, std::string& error) {
  out.clear();
  if (m.orders.size() > 256) return error = "more than 256 order entries", false;
  if (m.patterns.size() > 256) return error = "more than 256 patterns", false;
  if (m.instruments.size() > 128) return error = "more than 128 instruments", false;
  if (m.channels > 32) return error = "more than 32 channels", false;

  out.reserve(1024);
  PutText(out, "Extended Module: ", 17);
  PutText(out, m.name, 20);
  Put8(out, 0x1A);
  PutText(out, m.trackerName, 20);
  Put16(out, 0x0104);
  Put32(out, 276);  // header size, counted from here: 20 bytes of fields and the order table
  Put16(out, static_cast<uint32_t>(m.orders.size()));
  Put16(out, m.restartPosition);
  Put16(out, m.channels);
  Put16(out, static_cast<uint32_t>(m.patterns.size()));
  Put16(out, static_cast<uint32_t>(m.instruments.size()));
  Put16(out, m.flags);
  Put16(out, m.tempo);
  Put16(out, m.bpm);
  for (size_t i = 0; i < 256; ++i) Put8(out, i < m.orders.size() ? m.orders[i] : 0);

  for (size_t p = 0; p < m.patterns.size(); ++p) {
    const XmPattern& pat = m.patterns[p];
    if (pat.rows < 1 || pat.rows > 256) return error = "pattern " + std::to_string(p) + ": rows must be 1..256", false;
    if (pat.cells.size() != static_cast<size_t>(pat.rows) * m.channels)
      return error = "pattern " + std::to_string(p) + ": cell count is not rows x channels", false;
    std::vector<uint8_t> packed = PackXmPattern(pat, m.channels);
    if (packed.size() > 0xFFFF) return error = "pattern " + std::to_string(p) + ": packed data too large", false;
    Put32(out, 9);
    Put8(out, 0);
    Put16(out, static_cast<uint32_t>(pat.rows));
    Put16(out, static_cast<uint32_t>(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
  }

  for (size_t i = 0; i < m.instruments.size(); ++i) {
    const XmInstrument& ins = m.instruments[i];
    if (ins.samples.size() > 16) return error = "instrument " + std::to_string(i + 1) + ": more than 16 samples", false;
    const bool hasSamples = !ins.samples.empty();
    Put32(out, hasSamples ? kInstrumentHeaderSize : kEmptyInstrumentHeaderSize);
    PutText(out, ins.name, 22);
    Put8(out, 0);  // instrument type
    Put16(out, static_cast<uint32_t>(ins.samples.size()));
    if (!hasSamples) continue;
    Put32(out, kSampleHeaderSize);
    out.insert(out.end(), ins.keymap.begin(), ins.keymap.end());
    out.insert(out.end(), 48 + 48, 0);  // volume and panning envelopes: unused
    out.insert(out.end(), 14, 0);       // envelope point counts, sustain/loop points, types, vibrato
    Put16(out, 0);                      // fadeout
    Put16(out, 0);                      // reserved
    for (const XmSample& s : ins.samples) {
      if (!s.data.empty() && s.data.size() != s.length)
        return error = "instrument " + std::to_string(i + 1) + ": sample data does not match its length", false;
      const uint32_t width = s.sixteenBit ? 2 : 1;
      Put32(out, s.length * width);
      Put32(out, s.loopStart * width);
      Put32(out, s.loopLength * width);
      Put8(out, s.volume);
      Put8(out, static_cast<uint8_t>(s.finetune));
      Put8(out, static_cast<uint8_t>(s.loop) | (s.sixteenBit ? 0x10 : 0));
      Put8(out, s.panning);
      Put8(out, static_cast<uint8_t>(s.relativeNote));
      Put8(out, 0);
      PutText(out, s.name, 22);
    }
    for (const XmSample& s : ins.samples) {
      // Deltas: each stored value is the difference to the one before, modulo the width.
      int16_t previous = 0;
      for (uint32_t k = 0; k < s.length; ++k) {
        const int16_t v = s.data.empty() ? int16_t{0} : s.data[k];
        const uint16_t delta = static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous));
        previous = v;
        if (s.sixteenBit)
          Put16(out, delta);
        else
          Put8(out, delta & 0xFF);
      }
    }
  }
  return true;
}
