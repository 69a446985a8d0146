#include "shell/viewer.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/mixer.h"
#include "music/output.h"
#include "platform/system.h"
#include "platform/window.h"
#include "scenes/frame_clock.h"
#include "scenes/scene_table.h"
#include "scenes/text.h"
#include "shell/frame.h"
#include "shell/present.h"
#include "shell/offline_run.h"
#include "shell/schedule.h"
#include "shell/seek.h"
#include "shell/shell_state.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Viewer {
  ViewerOptions options;
  bool started = false;
  bool paused = false;
  bool pauseAsked = false;   // Space while running: the next frame is the one held
  bool positionLine = false; // F1
  bool keepNext = false;     // the next drawn frame is copied into `held`
  std::vector<uint8_t> held;  // the paused picture, RGBA rows bottom first
  int heldWidth = 0, heldHeight = 0;
  int64_t musicStartBlock = 0;  // the song block the current playback began with
  int64_t pausedBlock = 0;      // where the music goes on after a pause
  float pausedElapsed = 0.0f;   // and the animation clock
  bool noSeek = false;          // no music, so no clock to seek by
  Clock::time_point seekBegan{};  // the key (or the start) that asked for the seek
  Clock::time_point lastFrame{};
  double frameMs = 0.0;
  bool timing = false;  // VALE_TIMING: each seek's time on stderr
};
Viewer viewer;

// The start time that makes the live clock read `elapsed` now.
float StartTimeFor(float elapsed) {
  const float t = static_cast<float>(static_cast<double>(GetTickCount32()) * static_cast<double>(0.001f) -
                                     static_cast<double>(elapsed));
  return t == 0.0f ? -1e-6f : t;  // 0 means "not yet taken"
}

// Everything below draws with the state it sets and gives back every attribute and matrix: the
// next frame of the presentation inherits nothing from it.
void BeginOwnDrawing() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  for (GLenum cap : {GL_LIGHTING, GL_FOG, GL_DEPTH_TEST, GL_CULL_FACE, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST,
                     GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_BLEND, GL_COLOR_LOGIC_OP,
                     GL_DITHER})
    glDisable(cap);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glViewport(0, 0, shellState.currentWidth, shellState.currentHeight);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void EndOwnDrawing() {
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopClientAttrib();
  glPopAttrib();
}

std::string PositionLine() {
  const FrameClock& fc = frameClock;
  const ScheduleStep step = PickScene(fc.syncTime);
  char text[96];
  std::snprintf(text, sizeof text, "%s  %s  %.3f s  %.1f ms%s", FormatSongPosition({fc.musicOrder, fc.musicRow}).c_str(),
                std::string(SceneOf(step.scene).name).c_str(), static_cast<double>(fc.frameTime), viewer.frameMs,
                viewer.paused ? "  paused" : "");
  return text;
}

// A dark band along the top of the 640 x 480 overlay space with the line in the small font.
void DrawPositionLine() {
  const std::string line = PositionLine();
  BeginOwnDrawing();
  glOrtho(0, 640, 480, 0, -1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, 0.7f);
  DrawOverlayQuad(0, 0, 640, 24);
  if (fontListBase != 0) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glColor4f(1, 1, 1, 1);
    glTranslatef(8, 4, 0);
    glListBase(fontListBase);
    glCallLists(static_cast<GLsizei>(line.size()), GL_UNSIGNED_BYTE, line.data());
  }
  EndOwnDrawing();
}

void KeepPicture() {
  viewer.heldWidth = shellState.currentWidth;
  viewer.heldHeight = shellState.currentHeight;
  viewer.held.resize(static_cast<size_t>(viewer.heldWidth) * viewer.heldHeight * 4);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(0, 0, viewer.heldWidth, viewer.heldHeight, GL_RGBA, GL_UNSIGNED_BYTE, viewer.held.data());
  glPopClientAttrib();
}

// Runs on every drawn frame of the presentation, before the present.
void FinishFrame() {
  if (viewer.keepNext) {
    KeepPicture();
    viewer.keepNext = false;
  }
  const Clock::time_point now = Clock::now();
  if (viewer.lastFrame != Clock::time_point{})
    viewer.frameMs = std::chrono::duration<double, std::milli>(now - viewer.lastFrame).count();
  viewer.lastFrame = now;
  if (viewer.positionLine) DrawPositionLine();
}

// The held picture again (with the position line when it is on), presented.
void ShowHeldPicture() {
  if (!viewer.held.empty()) {
    BeginOwnDrawing();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelZoom(1, 1);
    glRasterPos2f(-1, -1);
    glDrawPixels(viewer.heldWidth, viewer.heldHeight, GL_RGBA, GL_UNSIGNED_BYTE, viewer.held.data());
    EndOwnDrawing();
  }
  if (viewer.positionLine) DrawPositionLine();
  PresentFrame();
}

// The music and the animation clock go on from song block `block` and `elapsed` seconds.
void GoOn(int64_t block, float elapsed) {
  ModulePlayer* player = shellState.player;
  if (player && PrepareSongMap()) {
    SetMusicToBlock(block);
    ContinuePlayback(player);
  }
  viewer.musicStartBlock = block;
  frameClock.startTime = StartTimeFor(elapsed);
  viewer.lastFrame = {};
}

bool StopForSeek() {
  if (shellState.player) StopPlayback(shellState.player);
  if (viewer.noSeek || PrepareSongMap()) return !viewer.noSeek;
  viewer.noSeek = true;
  std::fprintf(stderr, "vale: without the music there is no position to seek to\n");
  return false;
}

// Without music the run stays where it is; paused before anything was held, the next frame is.
int StayPut() {
  if (!viewer.paused || !viewer.held.empty()) return 0;
  viewer.keepNext = true;
  return RenderFrame();
}

// The run taken to frame `frame` of a straight 50 fps run, that frame drawn and presented; the
// music goes on from there unless paused.
int SeekToFrame(int64_t frame) {
  if (!StopForSeek()) return StayPut();
  frame = std::clamp<int64_t>(frame, 0, LastSeekFrame());
  SetFrameFinisher(nullptr);
  CatchUpTo(frame);
  SetFrameFinisher(FinishFrame);
  viewer.keepNext = viewer.paused;
  const FrameInputs inputs = ReplayFrameInputs(frame);
  if (ReplayDrawFrame(inputs) == 1) return 1;
  const int64_t block = BlockAtFrame(frame);
  if (viewer.paused) {
    viewer.pausedBlock = block;
    viewer.pausedElapsed = inputs.elapsedSeconds;
  } else {
    GoOn(block, inputs.elapsedSeconds);
  }
  if (viewer.timing)
    std::fprintf(stderr, "vale: seek to %s (frame %lld) in %.1f ms\n",
                 FormatSongPosition({inputs.order, inputs.row}).c_str(), static_cast<long long>(frame),
                 std::chrono::duration<double, std::milli>(Clock::now() - viewer.seekBegan).count());
  return 0;
}

int SeekToPosition(SongPosition position) {
  if (!StopForSeek()) return StayPut();
  return SeekToFrame(SeekFrameFor(position));
}

SongPosition CurrentPosition() { return {frameClock.musicOrder, frameClock.musicRow}; }

// The start of the span `step` spans after (or before) the one playing.
int SeekSpan(int step) {
  const std::vector<ScheduleSpan> spans = ScheduleSpans();
  const SongPosition now = CurrentPosition();
  int current = 0;
  for (int i = 0; i < static_cast<int>(spans.size()); ++i)
    if (spans[static_cast<size_t>(i)].from <= now) current = i;
  const int target = current + step;
  if (target < 0 || target >= static_cast<int>(spans.size())) return 0;
  return SeekToPosition(spans[static_cast<size_t>(target)].from);
}

int SeekOrder(int step) {
  SongPosition p = CurrentPosition();
  p.order += step;
  if (p.order < 0) p = {0, 0};
  if (p >= kEndPosition) return 0;
  return SeekToPosition(p);
}

void Pause() {
  if (shellState.player) {
    viewer.pausedBlock =
        viewer.musicStartBlock + static_cast<int64_t>(PlaybackFramesHeard() / static_cast<uint64_t>(mixSettings.blockFrames));
    StopPlayback(shellState.player);
  }
  viewer.pausedElapsed = frameClock.elapsedSeconds;
  viewer.paused = true;
}

void Resume() {
  viewer.paused = false;
  GoOn(viewer.pausedBlock, viewer.pausedElapsed);
}

int FirstStep() {
  viewer.started = true;
  const char* timing = std::getenv("VALE_TIMING");
  viewer.timing = timing && *timing && *timing != '0';
  viewer.seekBegan = Clock::now();
  NoteRunStart();
  SetFrameFinisher(FinishFrame);
  if (!ViewerStartsElsewhere()) return RenderFrame();
  viewer.paused = viewer.options.paused;
  return viewer.options.startAt ? SeekToPosition(viewer.options.at) : SeekToFrame(0);
}

}  // namespace

void SetViewerOptions(const ViewerOptions& options) { viewer.options = options; }
const ViewerOptions& CurrentViewerOptions() { return viewer.options; }
bool ViewerStartsElsewhere() { return viewer.options.startAt || viewer.options.paused; }

int ViewerStep() {
  if (!viewer.started) return FirstStep();
  if (viewer.paused) {
    ShowHeldPicture();
    return 0;
  }
  if (viewer.pauseAsked) viewer.keepNext = true;
  const int result = RenderFrame();
  if (viewer.pauseAsked && result == 0) {
    viewer.pauseAsked = false;
    Pause();
  }
  return result;
}

int ViewerKey(Key key) {
  if (!viewer.started) return 0;
  viewer.seekBegan = Clock::now();
  switch (key) {
    case Key::Space:
      if (viewer.paused)
        Resume();
      else
        viewer.pauseAsked = true;
      return 0;
    case Key::F1:
      viewer.positionLine = !viewer.positionLine;
      if (viewer.paused) ShowHeldPicture();
      return 0;
    case Key::Right: return SeekOrder(1);
    case Key::Left: return SeekOrder(-1);
    case Key::PageDown: return SeekSpan(1);
    case Key::PageUp: return SeekSpan(-1);
    case Key::Home: return SeekToFrame(0);
    default: return 0;
  }
}
