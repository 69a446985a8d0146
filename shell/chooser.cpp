// The resolution chooser's table and commands, shared by the canvas chooser and the chooser of
// native controls.
#include "shell/chooser.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::string_view, kChooserLines> kLabels = {
    "64ox48o", "8oox6oo", "96ox72o", "1o24x768 (default)", "1152x864", "128ox96o", "128ox1o24", "windowed"};

constexpr std::array<DisplayChoice, kChooserLines> kModes = {{
    {640, 480, true},
    {800, 600, true},
    {960, 720, true},
    {1024, 768, true},
    {1152, 864, true},
    {1280, 960, true},
    {1280, 1024, true},
    {800, 600, false},
}};

}  // namespace

std::string_view ChooserLabel(int line) {
  return line >= 0 && line < kChooserLines ? kLabels[line] : std::string_view();
}

DisplayChoice ResolveChooserEntry(int32_t entry) {
  if (entry >= 1 && entry <= kChooserLines) return kModes[entry - 1];
  return {1024, 768, true};
}

bool ChooserCommand(int id, int32_t& chosenEntry, int32_t& startFlag) {
  if (id == kStartId) {
    startFlag = 1;
    if (chosenEntry == 0) chosenEntry = 1;  // Start alone gives the first line, not the "default" one
    return true;
  }
  if (id < kFirstLineId + kChooserLines && id > kStartId) chosenEntry = id - kStartId;
  return false;
}

int ChooserControlAt(int x, int y) {
  if (kChooserStartRect.Contains(x, y)) return kStartId;
  for (int i = 0; i < kChooserLines; ++i)
    if (ChooserLineRect(i).Contains(x, y)) return kFirstLineId + i;
  return 0;
}
