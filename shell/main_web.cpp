// The web page's entry point. The page's address picks what it shows:
//   index.html                           the chooser, then the presentation, stepped once per
//                                        animation frame; when the run is over the page starts
//                                        afresh at the chooser
//   index.html?at=ORDER.ROW&size=WxH     one frame as `vale-tool frame --at ORDER.ROW --size WxH`
//                                        draws it (the same replay with faked clocks), on a canvas
//                                        of that size at the page's top-left
//   index.html?fingerprint               the vale-fingerprint lines in <pre id="fingerprint">
//   index.html?spans                     the first and last row of every span of the schedule,
//                                        one span a line, in <pre id="spans"> (for the browser tests)
// The study pages set the title to "ready" when done, or to "error: ..." when they cannot be.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "music/output.h"
#include "platform/audio_device.h"
#include "platform/gl.h"
#include "platform/window.h"
#include "scenes/frame_clock.h"
#include "scenes/scene_table.h"
#include "shell/offline_run.h"
#include "shell/run.h"
#include "shell/schedule.h"
#include "shell/shell_state.h"
#include "tools/fingerprint.h"

namespace {

constexpr int32_t kStudyFps = 50;  // as vale-tool frame runs
// The frames before the wanted one run this small, as vale-tool runs them.
constexpr int kCatchUpWidth = 16, kCatchUpHeight = 12;

EM_JS(char*, WebQuery, (), {
  var text = location.search;
  var bytes = lengthBytesUTF8(text) + 1;
  var p = _malloc(bytes);
  stringToUTF8(text, p, bytes);
  return p;
});

EM_JS(void, WebSetTitle, (const char* title), { document.title = UTF8ToString(title); });

EM_JS(void, WebWriteText, (const char* id, const char* text), {
  var pre = document.getElementById(UTF8ToString(id));
  pre.textContent = UTF8ToString(text);
  pre.style.display = "block";
});

// The page keeps the time of every frame presented and the scene it showed, for the measures of
// the browser tests.
EM_JS(void, WebFramePresented, (const char* scene), {
  (Module.valeFrameTimes = Module.valeFrameTimes || []).push(performance.now());
  (Module.valeFrameScenes = Module.valeFrameScenes || []).push(UTF8ToString(scene));
});

EM_JS(void, WebRunOver, (), { location.reload(); });

// The value of `key` in a query "?a=1&b=2"; empty when absent. `present` says whether the key
// appears at all (with or without a value).
std::string QueryValue(const std::string& query, const std::string& key, bool* present = nullptr) {
  size_t at = 0;
  if (present) *present = false;
  while (at < query.size()) {
    if (query[at] == '?' || query[at] == '&') ++at;
    const size_t end = std::min(query.find('&', at), query.size());
    const std::string item = query.substr(at, end - at);
    const size_t equals = item.find('=');
    if (item.substr(0, equals) == key) {
      if (present) *present = true;
      return equals == std::string::npos ? std::string() : item.substr(equals + 1);
    }
    at = end;
  }
  return {};
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
  char* end = nullptr;
  width = static_cast<int>(std::strtol(text.c_str(), &end, 10));
  if (end != text.c_str() + x) return false;
  height = static_cast<int>(std::strtol(text.c_str() + x + 1, &end, 10));
  return *end == 0 && width >= 1 && height >= 1 && width <= 8192 && height <= 8192;
}

// As a window of this size shows it: the canvas's drawing buffer, the shell's view size and the
// viewport (the projection's aspect is fixed, as in the tool's replay).
void UseSize(int width, int height) {
  emscripten_set_canvas_element_size("#canvas", width, height);
  shellState.currentWidth = width;
  shellState.currentHeight = height;
  glViewport(0, 0, width, height);
}

std::string DrawStudyFrame(const std::string& atText, const std::string& sizeText) {
  SongPosition at;
  if (!ParseSongPosition(atText, at) || at.row > 63) return "at= wants ORDER.ROW, not '" + atText + "'";
  int width = 1024, height = 768;
  if (!sizeText.empty() && !ParseSize(sizeText, width, height)) return "size= wants WxH, not '" + sizeText + "'";
  RenderWindowError windowError = RenderWindowError::None;
  std::string detail;
  if (!CreateRenderWindow("", width, height, false, windowError, detail)) return detail;
  UseSize(width, height);
  StartReplay({kStudyFps, false});
  if (!ReplayHasMusic()) return "the soundtrack could not be loaded";
  const int64_t frame = FirstFrameAt(ReplaySong(), at, kStudyFps);
  if (frame < 0 || frame >= ReplayEndFrame()) return "the song never reaches " + FormatSongPosition(at);
  if (ReplayNextFrame() < frame) {
    UseSize(kCatchUpWidth, kCatchUpHeight);
    ReplayUntil(frame);
  }
  UseSize(width, height);
  if (ReplayDrawFrame(ReplayFrameInputs(frame)) == 1) return "the run ended before " + FormatSongPosition(at);
  glFinish();
  return {};
}

std::string gFingerprint;

std::string WriteFingerprintPage() {
  gFingerprint.clear();
  const bool ok = WriteFingerprint(0, [](const char* line) {
    gFingerprint += line;
    gFingerprint += '\n';
  });
  WebWriteText("fingerprint", gFingerprint.c_str());
  return ok ? std::string() : "the fingerprint could not be made";
}

std::string WriteSpansPage() {
  std::string text;
  for (const ScheduleSpan& span : ScheduleSpans())
    text += FormatSongPosition(span.from) + " " + FormatSongPosition(span.last) + "\n";
  WebWriteText("spans", text.c_str());
  return {};
}

void FinishStudy(const std::string& error) {
  if (error.empty()) {
    WebSetTitle("ready");
    return;
  }
  std::fprintf(stderr, "vale: %s\n", error.c_str());
  WebSetTitle(("error: " + error).c_str());
}

// One animation frame of the run: the page's events, the music's refill for an output that no
// audio callback drives (the silent one), then one step.
void StepPage() {
  WindowEvent e;
  while (PollWindowEvent(e)) HandleRunEvent(e);
  RunMixingPass();
  const RunPhase phase = CurrentRunPhase();
  if (phase == RunPhase::Loading || phase == RunPhase::Running) {
    StepRun();
    if (CurrentRunPhase() == RunPhase::Running)
      WebFramePresented(std::string(SceneOf(PickScene(frameClock.syncTime).scene).name).c_str());
  }
  if (CurrentRunPhase() == RunPhase::Over) {
    emscripten_cancel_main_loop();
    WebRunOver();
  }
}

}  // namespace

int main() {
  char* raw = WebQuery();
  const std::string query = raw;
  std::free(raw);
  bool fingerprint = false, spans = false, at = false;
  QueryValue(query, "fingerprint", &fingerprint);
  QueryValue(query, "spans", &spans);
  const std::string atText = QueryValue(query, "at", &at);
  if (at) {
    FinishStudy(DrawStudyFrame(atText, QueryValue(query, "size")));
    return 0;
  }
  if (fingerprint) {
    FinishStudy(WriteFingerprintPage());
    return 0;
  }
  if (spans) {
    FinishStudy(WriteSpansPage());
    return 0;
  }
  // No thread in the page: the music is mixed where Web Audio asks for frames.
  SetMixingWithoutThread(true);
  SetAudioBufferTakenProc(RunMixingPass);
  BeginRun();
  emscripten_set_main_loop(StepPage, 0, false);
  return 0;
}
