#include "tools/replay_run.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/headless.h"
#include "shell/shell_state.h"

namespace {
// The frames nobody looks at are drawn this small: the GL work per frame stays, the pixels go.
constexpr int kCatchUpWidth = 16, kCatchUpHeight = 12;
}  // namespace

bool SizeOption(const ToolArgs& args, int& width, int& height, std::string& error) {
  const std::string* text = FindOption(args, "--size");
  if (!text) return true;
  int w = 0, h = 0, used = 0;
  if (std::sscanf(text->c_str(), "%dx%d%n", &w, &h, &used) != 2 || used != static_cast<int>(text->size()) || w < 1 ||
      h < 1 || w > kMaxFrameSide || h > kMaxFrameSide) {
    error = "--size wants WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxFrameSide) + ", not '" + *text + "'";
    return false;
  }
  width = w;
  height = h;
  return true;
}

bool PositionOption(const ToolArgs& args, const char* name, SongPosition last, SongPosition& position,
                    std::string& error) {
  const std::string* text = FindOption(args, name);
  if (!text) return true;
  SongPosition p;
  // Every pattern of the soundtrack has 64 rows.
  if (!ParseSongPosition(*text, p) || p.row > 63 || p > last) {
    error = std::string(name) + " wants ORDER.ROW from 0.000 to " + FormatSongPosition(last) +
            " (rows 0 to 63), not '" + *text + "'";
    return false;
  }
  position = p;
  return true;
}

bool CanWriteBeside(const std::string& path, std::string& error) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    error = "cannot write in " + folder + " (no such folder, or not writable)";
    return false;
  }
  return true;
}

ReplayRun::~ReplayRun() { DestroyHeadlessContext(context_); }

bool ReplayRun::Start(int32_t fps, bool keepAudio, int width, int height, std::string& error, bool exact) {
  exact_ = exact;
  context_ = CreateHeadlessContext(width, height, error);
  if (!context_) {
    error = "no headless OpenGL context: " + error;
    return false;
  }
  width_ = width;
  height_ = height;
  UseSize(width, height);
  StartReplay({fps, keepAudio});
  if (!ReplayHasMusic()) {
    error = "the soundtrack could not be loaded";
    return false;
  }
  return true;
}

void ReplayRun::UseSize(int width, int height) {
  std::string error;
  if ((width != width_ || height != height_) && !ResizeHeadlessContext(context_, width, height, error)) {
    std::fprintf(stderr, "vale-tool: %s\n", error.c_str());
    std::exit(1);
  }
  width_ = width;
  height_ = height;
  shellState.currentWidth = width;
  shellState.currentHeight = height;
  // As a window of this size shows it. Only the viewport follows the size: the projection's
  // aspect is fixed, and re-applying it here would disturb the matrices the scenes inherit.
  glViewport(0, 0, width, height);
}

void ReplayRun::CatchUp(int64_t frame) {
  if (ReplayNextFrame() >= frame) return;
  if (exact_) {
    ReplayUntil(frame, false);
    return;
  }
  UseSize(kCatchUpWidth, kCatchUpHeight);
  ReplayUntil(frame);
}

std::vector<uint8_t> ReplayRun::Draw(const FrameInputs& inputs, int width, int height) {
  UseSize(width, height);
  if (ReplayDrawFrame(inputs) == 1) return {};
  return ReadHeadlessPixels(context_);
}
