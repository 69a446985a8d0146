// vale-tool: what the frame, contact-sheet and capture commands share: the option parsing of
// sizes and song positions, and one replay of the presentation on a headless context that runs
// the frames before the wanted ones small, with nothing read back, and draws the wanted ones
// at their size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "shell/offline_run.h"
#include "tools/tool.h"

inline constexpr int kMaxFrameSide = 8192;
// The last position a frame is drawn at: the frame at kEndPosition ends the run.
inline constexpr SongPosition kLastDrawnPosition{kEndPosition.order, kEndPosition.row - 1};

// "--size WxH", each side 1..8192; false with a message when malformed.
bool SizeOption(const ToolArgs& args, int& width, int& height, std::string& error);
// "--gl gl|es3": the GL the frames are drawn with, desktop GL as it is (the default) or OpenGL ES 3
// through the GL layer's fixed-function pipeline; false with a message for anything else.
bool GlOption(const ToolArgs& args, HeadlessGl& gl, std::string& error);

// How the frames of `frame` and `contact-sheet` are drawn: their size, the supersampling
// factor and the GL they are drawn through, from --size, --supersample and --gl. The output,
// the first positional argument, is checked too, before any work.
struct PictureOptions {
  int width = 0, height = 0;
  int supersample = 1;  // drawn this many times larger on each side
  HeadlessGl gl = HeadlessGl::Desktop;
};
bool PictureOptionsOf(const ToolArgs& args, PictureOptions& picture, std::string& error);
// An ORDER.ROW option; the row must lie in a pattern (0..63) and the position not past `last`.
bool PositionOption(const ToolArgs& args, const char* name, SongPosition last, SongPosition& position,
                    std::string& error);

class ReplayRun {
 public:
  ReplayRun() = default;
  ~ReplayRun();
  ReplayRun(const ReplayRun&) = delete;
  ReplayRun& operator=(const ReplayRun&) = delete;

  // Creates the context at the size the wanted frames are drawn at (the start-up draws there),
  // runs the start-up and renders the song.
  // `exact`: every earlier frame is drawn, at the wanted size, so the wanted frames come out as
  // a capture of the whole run draws them, bit for bit. Otherwise earlier frames run small and
  // the middle frames of most spans are passed over: much faster, and the same pixels wherever it
  // has been compared with a capture of the whole run.
  bool Start(int32_t fps, bool keepAudio, int width, int height, std::string& error, bool exact = false,
             HeadlessGl gl = HeadlessGl::Desktop);
  // Runs the frames before `frame` small, nothing read back. False when the context cannot
  // take the small size.
  bool CatchUp(int64_t frame, std::string& error);
  // Draws the next frame at width x height (with `inputs` as its clock readings) and reads it
  // back as RGB rows, top first; `rgb` is left empty once the run has ended. False when the
  // context cannot take that size.
  bool Draw(const FrameInputs& inputs, int width, int height, std::vector<uint8_t>& rgb, std::string& error);
  bool Draw(int width, int height, std::vector<uint8_t>& rgb, std::string& error) {
    return Draw(ReplayFrameInputs(ReplayNextFrame()), width, height, rgb, error);
  }
  // The same, read back as the framebuffer holds it (ReadHeadlessFramebufferInto).
  bool DrawFramebuffer(int width, int height, std::vector<uint8_t>& rgba, std::string& error);

 private:
  bool UseSize(int width, int height, std::string& error);
  HeadlessContext* context_ = nullptr;
  int width_ = 0, height_ = 0;
  bool exact_ = false;
};
