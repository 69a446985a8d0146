#include "tools/replay_run.h"

#include <unistd.h>

#include <string_view>

#include "platform/gl.h"
#include "platform/headless.h"
#include "platform/output_file.h"
#include "shell/shell_state.h"
#include "tools/supersample.h"

namespace {
// The frames nobody looks at are drawn this small: the GL work per frame stays, the pixels go.
constexpr int kCatchUpWidth = 16, kCatchUpHeight = 12;
}  // namespace

namespace {
// One side of "WxH": digits only, read without overflow (so 4294967297 is too large, not 1).
bool ParseSide(std::string_view text, int& side) {
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  side = v;
  return true;
}
}  // namespace

bool SizeOption(const ToolArgs& args, int& width, int& height, std::string& error) {
  const std::string* text = FindOption(args, "--size");
  if (!text) return true;
  const size_t x = text->find('x');
  int w = 0, h = 0;
  if (x == std::string::npos || !ParseSide(std::string_view(*text).substr(0, x), w) ||
      !ParseSide(std::string_view(*text).substr(x + 1), h) || w < 1 || h < 1 || w > kMaxFrameSide ||
      h > kMaxFrameSide) {
    error = "--size wants WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxFrameSide) + ", not '" + *text + "'";
    return false;
  }
  width = w;
  height = h;
  return true;
}

bool GlOption(const ToolArgs& args, HeadlessGl& gl, std::string& error) {
  const std::string* text = FindOption(args, "--gl");
  if (!text) return true;
  if (*text != "gl" && *text != "es3") {
    error = "--gl wants gl or es3, not '" + *text + "'";
    return false;
  }
  gl = *text == "es3" ? HeadlessGl::Es3 : HeadlessGl::Desktop;
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

ReplayRun::~ReplayRun() { DestroyHeadlessContext(context_); }

bool ReplayRun::Start(int32_t fps, bool keepAudio, int width, int height, std::string& error, bool exact,
                      HeadlessGl gl) {
  exact_ = exact;
  context_ = CreateHeadlessContext(width, height, error, gl);
  if (!context_) {
    error = "no headless OpenGL context: " + error;
    return false;
  }
  width_ = width;
  height_ = height;
  if (!UseSize(width, height, error)) return false;
  StartReplay({fps, keepAudio});
  if (!ReplayHasMusic()) {
    error = "the soundtrack could not be loaded";
    return false;
  }
  return true;
}

bool ReplayRun::UseSize(int width, int height, std::string& error) {
  if ((width != width_ || height != height_) && !ResizeHeadlessContext(context_, width, height, error)) return false;
  width_ = width;
  height_ = height;
  shellState.currentWidth = width;
  shellState.currentHeight = height;
  // As a window of this size shows it. Only the viewport follows the size: the projection's
  // aspect is fixed, and re-applying it here would disturb the matrices the scenes inherit.
  glViewport(0, 0, width, height);
  return true;
}

bool ReplayRun::CatchUp(int64_t frame, std::string& error) {
  if (ReplayNextFrame() >= frame) return true;
  if (exact_) {
    ReplayUntil(frame, false);
    return true;
  }
  if (!UseSize(kCatchUpWidth, kCatchUpHeight, error)) return false;
  ReplayUntil(frame);
  return true;
}

bool ReplayRun::Draw(const FrameInputs& inputs, int width, int height, std::vector<uint8_t>& rgb, std::string& error) {
  rgb.clear();
  if (!UseSize(width, height, error)) return false;
  if (ReplayDrawFrame(inputs) == 1) return true;
  ReadHeadlessPixelsInto(context_, rgb);
  return true;
}

bool ReplayRun::DrawFramebuffer(int width, int height, std::vector<uint8_t>& rgba, std::string& error) {
  // The storage is kept for the read (cleared, it would be filled with zeros first).
  if (!UseSize(width, height, error)) return rgba.clear(), false;
  if (ReplayDrawFrame(ReplayFrameInputs(ReplayNextFrame())) == 1) return rgba.clear(), true;
  ReadHeadlessFramebufferInto(context_, rgba);
  return true;
}

bool PictureOptionsOf(const ToolArgs& args, PictureOptions& picture, std::string& error) {
  return SizeOption(args, picture.width, picture.height, error) &&
         SupersampleOption(args, picture.width, picture.height, picture.supersample, error) &&
         GlOption(args, picture.gl, error) && CheckOutputTarget(args.positional[0], error);
}
