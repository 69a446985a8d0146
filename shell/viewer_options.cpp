#include "shell/viewer_options.h"

#include "shell/chooser.h"
#include "shell/offline_run.h"

namespace {

// The last position a frame is drawn at: the frame that hears kEndPosition ends the run.
constexpr SongPosition kLastFramePosition{kEndPosition.order, kEndPosition.row - 1};

bool ParseLine(const std::string& text, int32_t& line) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kChooserLines) return false;
  line = text[0] - '0';
  return true;
}

}  // namespace

ViewerArgs ParseViewerArgs(std::span<const std::string> args, ViewerOptions& options, std::string& error) {
  ViewerOptions o;
  bool windowed = false, mode = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") return ViewerArgs::Help;
    if (a == "--windowed") {
      windowed = true;
      o.entry = kChooserLineWindowed;
    } else if (a == "--paused") {
      o.paused = true;
    } else if (a == "--mode" || a == "--at") {
      if (i + 1 == args.size()) {
        error = a + " wants a value";
        return ViewerArgs::Error;
      }
      const std::string& value = args[++i];
      if (a == "--mode") {
        mode = true;
        if (!ParseLine(value, o.entry)) {
          error = "--mode wants a chooser line from 1 to " + std::to_string(kChooserLines) + ", not '" + value + "'";
          return ViewerArgs::Error;
        }
      } else {
        // Every pattern of the soundtrack has 64 rows.
        if (!ParseSongPosition(value, o.at) || o.at.row > 63 || o.at > kLastFramePosition) {
          error = "--at wants ORDER.ROW from 0.000 to " + FormatSongPosition(kLastFramePosition) +
                  " (rows 0 to 63), not '" + value + "'";
          return ViewerArgs::Error;
        }
        o.startAt = true;
      }
    } else {
      error = "unknown option '" + a + "' (see --help)";
      return ViewerArgs::Error;
    }
  }
  if (windowed && mode) {
    error = "--windowed and --mode both choose the display; give one";
    return ViewerArgs::Error;
  }
  options = o;
  return ViewerArgs::Run;
}

std::string ViewerUsage() {
  return "usage: vale [--windowed | --mode N] [--at ORDER.ROW] [--paused]\n"
         "  --windowed      the 800 x 600 window, without the resolution chooser\n"
         "  --mode N        chooser line N (1 to 8) without the chooser: 1 640x480 ... 7 1280x1024\n"
         "                  full screen, 8 windowed\n"
         "  --at ORDER.ROW  start the run at that music position (\"17.010\": order 17, row 10)\n"
         "  --paused        start the run paused\n"
         "  --help          this text\n"
         "keys during the run: Space pause/resume, Right/Left one order forward/back,\n"
         "Page Down/Page Up next/previous scene, Home the start, F1 the position line, Escape quit\n";
}
