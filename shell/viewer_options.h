// shell/viewer_options.h: the command line of the live program. Without options it shows the
// chooser and plays the run from its start; the options open a chooser line at once, start the
// run at a music position and start it paused, for someone studying the presentation.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "music/song_position.h"

struct ViewerOptions {
  int32_t entry = 0;       // 1..8: the chooser line opened without showing the chooser; 0: the chooser
  bool startAt = false;    // the run starts at `at` rather than at its first frame
  SongPosition at;
  bool paused = false;     // the run starts paused
};

enum class ViewerArgs { Run, Help, Error };

// The arguments after the program name. Error leaves one line in `error` (no program name).
ViewerArgs ParseViewerArgs(std::span<const std::string> args, ViewerOptions& options, std::string& error);
// The text --help prints.
std::string ViewerUsage();
