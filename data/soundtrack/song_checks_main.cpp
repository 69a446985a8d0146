// Arrangement checks of the song source, printed for the soundtrack report: every pitched note in
// A minor, the bass on every kick of the beat patterns, the ending on the tonic. Matters of taste,
// so they are reported rather than tested.
//   vale-song-checks SOURCE   (exit status 1 when a check fails)
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "data/soundtrack/song_module.h"

namespace {

constexpr int kKick = 11;

struct NoteAt {
  int row, channel, instrument, note;
};

// Notes of a pattern with the instrument each plays (a note without an instrument number plays
// the channel's last one).
std::vector<NoteAt> Notes(const SongModule& song, int pattern) {
  std::vector<NoteAt> out;
  std::vector<int> held(static_cast<size_t>(song.channels), 0);
  const SongPattern& p = song.patterns[pattern];
  for (int r = 0; r < p.rows; ++r)
    for (int c = 0; c < song.channels; ++c) {
      const SongCell& cell = p.cells[r * song.channels + c];
      if (cell.instrument) held[c] = cell.instrument;
      if (cell.note >= 1 && cell.note <= 96 && held[c]) out.push_back({r, c, held[c], cell.note});
    }
  return out;
}

int PitchClass(const SongModule& song, const NoteAt& n) {
  const double midi = 69 + 12 * std::log2(SoundingHz(song.instruments[n.instrument - 1], n.note) / 440.0);
  return static_cast<int>(std::lround(midi)) % 12;
}

bool Report(const char* name, int misses, const std::string& detail) {
  std::printf("  %-44s %s%s\n", name, misses == 0 ? "ok" : "MISS ", misses == 0 ? "" : detail.c_str());
  return misses == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vale-song-checks SOURCE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  SongModule song;
  std::string error;
  if (!CompileSong(source, song, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  bool ok = true;

  // natural minor plus the raised seventh of the dominant chord; drums excluded
  const std::set<int> scale = {9, 11, 0, 2, 4, 5, 7, 8};
  const std::set<int> unpitched = {3, 11, 12, 13, 14, 15, 16};
  int outside = 0;
  std::string where;
  for (size_t p = 0; p < song.patterns.size(); ++p)
    for (const NoteAt& n : Notes(song, static_cast<int>(p)))
      if (!unpitched.count(n.instrument) && !scale.count(PitchClass(song, n))) {
        if (outside++ == 0) where = "pattern " + std::to_string(p) + " row " + std::to_string(n.row);
      }
  ok &= Report("pitched notes in A minor", outside, std::to_string(outside) + " outside, first at " + where);

  int unlocked = 0;
  for (int p : {6, 7, 10, 11, 13, 14, 16}) {
    std::set<int> bass, kicks;
    for (const NoteAt& n : Notes(song, p)) {
      if (n.instrument == 4 || n.instrument == 5) bass.insert(n.row);
      if (n.instrument == kKick) kicks.insert(n.row);
    }
    for (int r : kicks) unlocked += !bass.count(r);
  }
  ok &= Report("a bass note on every kick of the beat", unlocked, std::to_string(unlocked) + " kicks alone");

  // order 45 (pattern 19) lands on A in the bass and the lead, nothing new after its first half
  int ending = 0;
  std::set<int> tonicChannels;
  for (const NoteAt& n : Notes(song, 19)) {
    if (n.row == 0 && PitchClass(song, n) == 9) tonicChannels.insert(n.channel);
    if (n.row >= 32) ++ending;
  }
  ending += !tonicChannels.count(1) + !tonicChannels.count(7);
  ok &= Report("ends on A, then only rings", ending, "");
  return ok ? 0 : 1;
}
