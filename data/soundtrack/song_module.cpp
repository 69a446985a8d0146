// Song source compiler: reads the readable notation (header, instrument table, phrases,
// patterns built from placed phrases) and expands it into a SongModule.
//
// Notation, one statement per line, '#' starts a comment, indented lines continue the
// block above them:
//   '#' at the start of a word opens a comment.
//   name "text" | channels N | tempo N | bpm N | restart N | flags N | patterns N
//   order P P P ...
//   instrument NO NAME PITCH REL LENGTH [volume V] [finetune F] [panning P]
//   phrase NAME INSTRUMENT STEP   then tokens, one per STEP rows:
//        .  or -   nothing          x      a hit at the instrument's own pitch
//        A2, C#4, Bb3  a sounding pitch  ^   key-off;   any token may end in @V (volume 0..64)
//        |  bar line, ignored
//   pattern NO [rows R] [like NO]   then placements:
//        CHANNEL PHRASE [+T|-T] [@V] [rows A-B] [as INSTRUMENT] [pan P]
// A placement clears rows A..B of its channel and lays the phrase there from row A,
// repeating it to fill the range, transposed by T semitones, its volumes scaled by V/64,
// played by another instrument when one is named (to layer or double a line).
// pan P (0 left .. 255 right) places the part in the stereo field. An instrument number resets
// a channel's panning to the sample's, and a cell's volume column holds either a volume or a
// panning, so a panned part names its instrument (with the panning, at the instrument's own
// volume) only where the channel does not already hold that instrument and panning; its other
// notes carry no instrument number and an explicit volume, and its key-offs become volume 0,
// which keeps the channel open for the next note without an instrument number.
#include "data/soundtrack/song_module.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

struct PhraseToken {
  enum Kind { Empty, Hit, Pitch, KeyOff } kind = Empty;
  int pitch = 0;    // sounding MIDI for Pitch
  int volume = -1;  // -1: the instrument's default
};

struct Phrase {
  int instrument = 0;  // 1-based
  int step = 1;
  std::vector<PhraseToken> tokens;
};

struct Statement {
  int line = 0;
  std::vector<std::string> words;
  std::vector<Statement> body;
};

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t' || text[i] == '\r') { ++i; continue; }
    if (text[i] == '"') {
      size_t end = text.find('"', i + 1);
      if (end == std::string::npos) end = text.size();
      words.push_back(text.substr(i, end - i));  // keeps the opening quote as a marker
      i = end + 1;
      continue;
    }
    size_t end = i;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r') ++end;
    words.push_back(text.substr(i, end - i));
    i = end;
  }
  return words;
}

std::vector<Statement> SplitStatements(std::string_view source) {
  std::vector<Statement> out;
  std::istringstream in{std::string(source)};
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    // '#' opens a comment only at the start of a word, so that C#4 stays a pitch
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '#' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t')) {
        text.resize(i);
        break;
      }
    }
    std::vector<std::string> words = SplitWords(text);
    if (words.empty()) continue;
    bool indented = text[0] == ' ' || text[0] == '\t';
    if (indented && !out.empty()) {
      out.back().body.push_back({line, std::move(words), {}});
    } else {
      out.push_back({line, std::move(words), {}});
    }
  }
  return out;
}

bool ParseInt(const std::string& word, long lo, long hi, int& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(word.c_str(), &end, 10);
  if (*end != 0 || v < lo || v > hi) return false;
  value = static_cast<int>(v);
  return true;
}

bool ParseToken(const std::string& word, PhraseToken& token) {
  std::string body = word;
  size_t at = word.find('@');
  if (at != std::string::npos) {
    if (!ParseInt(word.substr(at + 1), 0, 64, token.volume)) return false;
    body = word.substr(0, at);
  }
  if (body == "." || body == "-") token.kind = PhraseToken::Empty;
  else if (body == "x") token.kind = PhraseToken::Hit;
  else if (body == "^") token.kind = PhraseToken::KeyOff;
  else {
    token.kind = PhraseToken::Pitch;
    token.pitch = ParsePitchName(body);
    if (token.pitch < 0) return false;
  }
  return true;
}

struct Compiler {
  SongModule& song;
  std::string& error;
  std::map<std::string, Phrase> phrases;
  std::map<int, std::vector<Statement>> placements;  // pattern number -> its placements (after "like")
  std::map<int, int> patternRows;
  int storedPatterns = 0;
  std::vector<int> panOf;  // per cell of the pattern being built: the placement's panning, -1 none

  bool Fail(int line, const std::string& message) {
    error = "line " + std::to_string(line) + ": " + message;
    return false;
  }

  bool Header(const Statement& s) {
    const auto& w = s.words;
    const std::string& key = w[0];
    if (key == "name") {
      if (w.size() != 2 || w[1].empty() || w[1][0] != '"') return Fail(s.line, "name wants a quoted text");
      song.name = w[1].substr(1);
      return true;
    }
    if (key == "order") {
      for (size_t i = 1; i < w.size(); ++i) {
        int p = 0;
        if (!ParseInt(w[i], 0, 255, p)) return Fail(s.line, "bad pattern number in order: " + w[i]);
        song.orders.push_back(static_cast<uint8_t>(p));
      }
      if (song.orders.size() > 256) return Fail(s.line, "more than 256 orders");
      return true;
    }
    struct Field { const char* name; int* value; long lo, hi; };
    const Field fields[] = {{"channels", &song.channels, 1, 32}, {"tempo", &song.tempo, 1, 31},
                            {"bpm", &song.bpm, 32, 255},         {"restart", &song.restart, 0, 255},
                            {"flags", &song.flags, 0, 65535},    {"patterns", &storedPatterns, 1, 256}};
    for (const Field& f : fields) {
      if (key != f.name) continue;
      if (w.size() != 2 || !ParseInt(w[1], f.lo, f.hi, *f.value)) return Fail(s.line, "bad value for " + key);
      return true;
    }
    return Fail(s.line, "unknown statement: " + key);
  }

  bool Instrument(const Statement& s) {
    const auto& w = s.words;
    if (w.size() < 6) return Fail(s.line, "instrument wants NO NAME PITCH REL LENGTH");
    int number = 0, rel = 0, length = 0;
    if (!ParseInt(w[1], 1, 128, number)) return Fail(s.line, "bad instrument number");
    int pitch = ParsePitchName(w[3]);
    if (pitch < 0) return Fail(s.line, "bad pitch: " + w[3]);
    if (!ParseInt(w[4], -96, 95, rel)) return Fail(s.line, "bad relative note");
    if (!ParseInt(w[5], 1, 0x7FFFFFF, length)) return Fail(s.line, "bad sample length");
    if (number != static_cast<int>(song.instruments.size()) + 1) return Fail(s.line, "instruments must be numbered in order");
    SongInstrument ins;
    ins.name = w[2];
    ins.pitchHz = 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
    ins.relativeNote = static_cast<int8_t>(rel);
    ins.length = static_cast<uint32_t>(length);
    for (size_t i = 6; i < w.size(); i += 2) {
      if (i + 1 >= w.size()) return Fail(s.line, "option without value: " + w[i]);
      int v = 0;
      if (w[i] == "volume" && ParseInt(w[i + 1], 0, 64, v)) ins.volume = static_cast<uint8_t>(v);
      else if (w[i] == "finetune" && ParseInt(w[i + 1], -128, 127, v)) ins.finetune = static_cast<int8_t>(v);
      else if (w[i] == "panning" && ParseInt(w[i + 1], 0, 255, v)) ins.panning = static_cast<uint8_t>(v);
      else return Fail(s.line, "bad instrument option: " + w[i]);
    }
    song.instruments.push_back(ins);
    return true;
  }

  int FindInstrument(const std::string& word) const {
    for (size_t i = 0; i < song.instruments.size(); ++i)
      if (song.instruments[i].name == word) return static_cast<int>(i) + 1;
    int n = 0;
    if (ParseInt(word, 1, static_cast<long>(song.instruments.size()), n)) return n;
    return 0;
  }

  bool DefinePhrase(const Statement& s) {
    const auto& w = s.words;
    if (w.size() < 4) return Fail(s.line, "phrase wants NAME INSTRUMENT STEP");
    Phrase p;
    p.instrument = FindInstrument(w[2]);
    if (p.instrument == 0) return Fail(s.line, "unknown instrument: " + w[2]);
    if (!ParseInt(w[3], 1, 256, p.step)) return Fail(s.line, "bad step");
    if (phrases.count(w[1])) return Fail(s.line, "phrase defined twice: " + w[1]);
    auto take = [&](const std::vector<std::string>& words, size_t from, int line) {
      for (size_t i = from; i < words.size(); ++i) {
        if (words[i] == "|") continue;
        PhraseToken t;
        if (!ParseToken(words[i], t)) return Fail(line, "bad token: " + words[i]);
        p.tokens.push_back(t);
      }
      return true;
    };
    if (!take(w, 4, s.line)) return false;
    for (const Statement& b : s.body)
      if (!take(b.words, 0, b.line)) return false;
    if (p.tokens.empty()) return Fail(s.line, "phrase has no tokens: " + w[1]);
    phrases[w[1]] = std::move(p);
    return true;
  }

  bool DeclarePattern(const Statement& s) {
    const auto& w = s.words;
    int number = 0;
    if (w.size() < 2 || !ParseInt(w[1], 0, 255, number)) return Fail(s.line, "bad pattern number");
    if (placements.count(number)) return Fail(s.line, "pattern defined twice");
    int rows = 64;
    std::vector<Statement> body;
    for (size_t i = 2; i < w.size(); i += 2) {
      int v = 0;
      if (i + 1 >= w.size()) return Fail(s.line, "option without value: " + w[i]);
      if (w[i] == "rows" && ParseInt(w[i + 1], 1, 256, v)) rows = v;
      else if (w[i] == "like" && ParseInt(w[i + 1], 0, 255, v) && placements.count(v)) {
        body = placements[v];
        rows = patternRows[v];
      } else return Fail(s.line, "bad pattern option: " + w[i]);
    }
    body.insert(body.end(), s.body.begin(), s.body.end());
    placements[number] = std::move(body);
    patternRows[number] = rows;
    return true;
  }

  bool Place(SongPattern& pattern, const Statement& s) {
    const auto& w = s.words;
    int channel = 0;
    if (w.size() < 2 || !ParseInt(w[0], 1, song.channels, channel)) return Fail(s.line, "bad channel: " + w[0]);
    auto it = phrases.find(w[1]);
    if (it == phrases.end()) return Fail(s.line, "unknown phrase: " + w[1]);
    const Phrase& phrase = it->second;
    int transpose = 0, scale = 64, first = 0, last = pattern.rows - 1, pan = -1;
    int instrument = phrase.instrument;
    for (size_t i = 2; i < w.size(); ++i) {
      const std::string& o = w[i];
      if ((o[0] == '+' || o[0] == '-') && ParseInt(o.substr(1), 0, 96, transpose)) {
        if (o[0] == '-') transpose = -transpose;
      } else if (o[0] == '@' && ParseInt(o.substr(1), 0, 64, scale)) {
      } else if (o == "rows" && i + 1 < w.size()) {
        const std::string& r = w[++i];
        size_t dash = r.find('-');
        if (dash == std::string::npos || !ParseInt(r.substr(0, dash), 0, pattern.rows - 1, first) ||
            !ParseInt(r.substr(dash + 1), first, pattern.rows - 1, last))
          return Fail(s.line, "bad row range: " + r);
      } else if (o == "pan" && i + 1 < w.size()) {
        if (!ParseInt(w[++i], 0, 255, pan)) return Fail(s.line, "bad panning: " + w[i]);
      } else if (o == "as" && i + 1 < w.size()) {
        instrument = FindInstrument(w[++i]);
        if (instrument == 0) return Fail(s.line, "unknown instrument: " + w[i]);
      } else {
        return Fail(s.line, "bad placement option: " + o);
      }
    }
    const SongInstrument& ins = song.instruments[instrument - 1];
    for (int row = first; row <= last; ++row) {
      SongCell& cell = pattern.cells[row * song.channels + channel - 1];
      cell = SongCell{};
      panOf[row * song.channels + channel - 1] = pan;
      int offset = row - first;
      if (offset % phrase.step != 0) continue;
      const PhraseToken& t = phrase.tokens[(offset / phrase.step) % phrase.tokens.size()];
      if (t.kind == PhraseToken::Empty) continue;
      if (t.kind == PhraseToken::KeyOff) { cell.note = 97; continue; }
      int sounding = t.kind == PhraseToken::Hit
                         ? static_cast<int>(std::lround(69 + 12 * std::log2(ins.pitchHz / 440.0)))
                         : t.pitch;
      sounding += transpose;
      int note = WrittenNoteFor(ins, sounding);
      if (note == 0) return Fail(s.line, "pitch out of range for " + ins.name + " in " + w[1]);
      cell.note = static_cast<uint8_t>(note);
      cell.instrument = static_cast<uint8_t>(instrument);
      int volume = (t.volume < 0 ? ins.volume : t.volume) * scale / 64;
      if (volume != ins.volume) cell.volume = static_cast<uint8_t>(0x10 + volume);
    }
    return true;
  }

  // See "pan P" above: drops the instrument number where the channel already holds the
  // instrument and panning, and turns the volume column of the other notes into the panning.
  void ApplyPanning(SongPattern& pattern) {
    for (int c = 0; c < song.channels; ++c) {
      int held = 0, heldPan = -1;  // instrument and panning the channel holds; 0: not known
      for (int row = 0; row < pattern.rows; ++row) {
        const size_t at = static_cast<size_t>(row) * song.channels + c;
        SongCell& cell = pattern.cells[at];
        const int pan = panOf[at];
        const bool note = cell.note >= 1 && cell.note <= 96;
        if (pan < 0) {
          if (note) held = cell.instrument, heldPan = -1;
          if (cell.note == 97) held = 0;
          continue;
        }
        if (cell.note == 97) {
          if (held != 0 && heldPan == pan) cell = SongCell{0, 0, 0x10, 0, 0};
          else held = 0;
          continue;
        }
        if (!note) continue;
        const bool holds = held != 0 && held == cell.instrument && heldPan == pan;
        const int volume = cell.volume ? cell.volume - 0x10 : song.instruments[cell.instrument - 1].volume;
        if (holds) {
          cell.instrument = 0;
          cell.volume = static_cast<uint8_t>(0x10 + volume);
        } else {
          cell.volume = static_cast<uint8_t>(0xC0 | (pan >> 4));
          held = cell.instrument;
          heldPan = pan;
        }
      }
    }
  }

  bool Run(std::string_view source) {
    song = SongModule{};
    for (const Statement& s : SplitStatements(source)) {
      const std::string& key = s.words[0];
      bool ok = key == "instrument" ? Instrument(s)
                : key == "phrase"   ? DefinePhrase(s)
                : key == "pattern"  ? DeclarePattern(s)
                : (s.body.empty() ? Header(s) : Fail(s.body[0].line, "unexpected indented line"));
      if (!ok) return false;
    }
    if (song.channels == 0 || song.tempo == 0 || song.bpm == 0) return Fail(0, "channels, tempo and bpm are required");
    if (song.orders.empty()) return Fail(0, "the order table is empty");
    int count = storedPatterns;
    for (const auto& [number, body] : placements) count = std::max(count, number + 1);
    for (uint8_t p : song.orders) count = std::max(count, p + 1);
    song.patterns.resize(count);
    for (int p = 0; p < count; ++p) {
      SongPattern& pattern = song.patterns[p];
      pattern.rows = patternRows.count(p) ? patternRows[p] : 64;
      pattern.cells.assign(static_cast<size_t>(pattern.rows) * song.channels, SongCell{});
      if (!placements.count(p)) continue;
      panOf.assign(pattern.cells.size(), -1);
      for (const Statement& s : placements[p])
        if (!Place(pattern, s)) return false;
      ApplyPanning(pattern);
    }
    return true;
  }
};

}  // namespace

int ParsePitchName(std::string_view name) {
  static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return -1;
  int pitch = steps[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') { ++pitch; ++i; }
  else if (name[i] == 'b') { --pitch; ++i; }
  if (i + 1 != name.size() || name[i] < '0' || name[i] > '9') return -1;
  return pitch + 12 * (name[i] - '0' + 1);
}

double SoundingHz(const SongInstrument& instrument, int writtenNote) {
  // The replay engine's linear-table rule: period from the real note and finetune,
  // voice frequency from the period; the sample was made at 44100 values a second.
  int realNote = (writtenNote - 1 + instrument.relativeNote) & 0xFF;
  int period = 7680 - 64 * realNote - instrument.finetune / 2;
  const float k = 1.0f / 768.0f;
  double f = std::trunc(8363.0 * std::pow(2.0, (4608 - period) * static_cast<double>(k)));
  return instrument.pitchHz * f / 44100.0;
}

int WrittenNoteFor(const SongInstrument& instrument, int soundingMidi) {
  double target = 440.0 * std::pow(2.0, (soundingMidi - 69) / 12.0);
  int best = 0;
  double bestCents = 1e9;
  for (int note = 1; note <= 96; ++note) {
    double cents = std::fabs(1200.0 * std::log2(SoundingHz(instrument, note) / target));
    if (cents < bestCents) { bestCents = cents; best = note; }
  }
  return bestCents <= 50.0 ? best : 0;
}

bool CompileSong(std::string_view source, SongModule& song, std::string& error) {
  Compiler c{song, error, {}, {}, {}, 0, {}};
  return c.Run(source);
}
