// vale-tool frame: one frame of the presentation, as a real run at 50 frames a second draws it,
// or the loading bar at a given fraction, written as a PNG.
#include <cmath>

#include "platform/gl.h"
#include "platform/headless.h"
#include "scenes/loading_bar.h"
#include "platform/output_file.h"
#include "tools/png_writer.h"
#include "tools/replay_run.h"
#include "tools/supersample.h"
#include "tools/tool.h"

namespace {

int Run(std::span<const std::string> rawArgs);

const ToolCommand kCommand{
    "frame", "OUT.png (--at ORDER.ROW [--elapsed SECONDS] [--exact] | --loading F) [--size WxH] [--supersample N] [--gl gl|es3]",
    "draws one frame of a 50 fps run at a music position (or the loading bar), default 1024x768; "
    "--exact draws every frame before it at that size, as a capture does (slower, bit for bit); "
    "--supersample N (1 to 4) draws it N times larger and gives each N x N block's mean; "
    "--gl es3 draws through the GL layer on OpenGL ES 3", Run};
ToolRegistration registration(kCommand);

constexpr int32_t kFps = 50;

int DrawLoading(const std::string& out, double fraction, int width, int height, int supersample, HeadlessGl gl) {
  std::string error;
  HeadlessContext* context = CreateHeadlessContext(width * supersample, height * supersample, error, gl);
  if (!context) return ToolFail("no headless OpenGL context: " + error);
  DrawLoadingBar(static_cast<float>(fraction));
  glFlush();
  const std::vector<uint8_t> rgb = ResolveSupersampled(ReadHeadlessPixels(context), width, height, supersample);
  DestroyHeadlessContext(context);
  if (!WritePng(out, width, height, 3, rgb, error)) return ToolFail(error);
  return 0;
}

int Run(std::span<const std::string> rawArgs) {
  static const std::string_view valueOptions[] = {"--at", "--elapsed", "--size", "--loading", "--supersample", "--gl"};
  static const std::string_view switches[] = {"--exact"};
  ToolArgs args = ParseToolArgs(rawArgs, valueOptions, switches);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1 || HasOption(args, "--at") == HasOption(args, "--loading")) return ToolUsage(kCommand);
  PictureOptions picture{1024, 768};
  std::string error;
  if (!PictureOptionsOf(args, picture, error)) return ToolFail(error, 2);
  const auto [width, height, n, gl] = picture;
  const std::string& out = args.positional[0];

  if (HasOption(args, "--loading")) {
    double fraction = 0.0;
    if (!FloatOption(args, "--loading", fraction, error) || fraction < 0.0 || fraction > 1.0)
      return ToolFail("--loading wants a fraction from 0 to 1, not '" + *FindOption(args, "--loading") + "'", 2);
    if (HasOption(args, "--elapsed")) return ToolFail("--elapsed goes with --at", 2);
    return DrawLoading(out, fraction, width, height, n, gl);
  }

  SongPosition at;
  if (!PositionOption(args, "--at", kLastDrawnPosition, at, error)) return ToolFail(error, 2);
  double elapsed = 0.0;
  if (!FloatOption(args, "--elapsed", elapsed, error)) return ToolFail(error, 2);
  if (!std::isfinite(elapsed) || std::fabs(elapsed) > 1e6) return ToolFail("--elapsed wants seconds, not '" + *FindOption(args, "--elapsed") + "'", 2);

  ReplayRun run;
  if (!run.Start(kFps, false, width * n, height * n, error, HasOption(args, "--exact"), gl)) return ToolFail(error);
  const int64_t frame = FirstFrameAt(ReplaySong(), at, kFps);
  if (frame < 0 || frame >= ReplayEndFrame()) return ToolFail("the song never reaches " + FormatSongPosition(at));
  if (!run.CatchUp(frame, error)) return ToolFail(error);
  FrameInputs inputs = ReplayFrameInputs(frame);
  if (HasOption(args, "--elapsed")) inputs.elapsedSeconds = static_cast<float>(elapsed);
  std::vector<uint8_t> rgb;
  if (!run.Draw(inputs, width * n, height * n, rgb, error)) return ToolFail(error);
  rgb = ResolveSupersampled(std::move(rgb), width, height, n);
  if (rgb.empty()) return ToolFail("the run ended before " + FormatSongPosition(at));
  if (!WritePng(out, width, height, 3, rgb, error)) return ToolFail(error);
  std::fprintf(stderr, "%s: frame %lld at %d.%03d, %.3f s\n", out.c_str(), static_cast<long long>(frame),
               inputs.order, inputs.row, static_cast<double>(inputs.elapsedSeconds));
  return 0;
}

}  // namespace
