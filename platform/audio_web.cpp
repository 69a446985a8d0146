// The audio device of the web page: Web Audio playing the music's ring in place. A script
// processor node copies the ring from the module's memory at its own cursor whenever the audio
// asks for a buffer, and then has the music refill the blocks that have been heard (there is no
// mixing thread in the page; SetAudioBufferTakenProc). The frames played are read from the audio clock, less the node's
// buffer and the output latency the context reports, so the picture follows what is heard.
//
// The AudioContext is made by the page inside the Start click (a page may only start sound from
// a gesture) at the mix rate; without one, or at another rate, no device opens and the music
// keeps time silently.
#include <emscripten.h>

#include "platform/audio_device.h"

namespace {

bool deviceOpen = false;
void (*bufferTaken)() = nullptr;

// The node's buffer: 2048 frames (46 ms at 44100 Hz) rides out a frame that takes longer than
// the display's refresh without a gap.
EM_JS(int, WebAudioOpen, (int rate), {
  var ctx = Module.valeAudioContext;
  if (!ctx) {
    try {
      ctx = new (window.AudioContext || window.webkitAudioContext)({sampleRate : rate});
    } catch (e) {
      return 0;
    }
    Module.valeAudioContext = ctx;
  }
  if (ctx.sampleRate != rate) return 0;
  if (ctx.state == "suspended") ctx.resume();
  return 1;
});

EM_JS(void, WebAudioPlayRing, (const int16_t* ring, int frames), {
  var ctx = Module.valeAudioContext;
  var node = ctx.createScriptProcessor(2048, 0, 2);
  var play = {node : node, ring : ring >> 1, frames : frames, read : 0, start : ctx.currentTime};
  Module.valeAudioPlay = play;
  node.onaudioprocess = function(event) {
    var left = event.outputBuffer.getChannelData(0);
    var right = event.outputBuffer.getChannelData(1);
    var heap = HEAP16;
    for (var i = 0; i < left.length; ++i) {
      var k = play.ring + 2 * ((play.read + i) % play.frames);
      left[i] = heap[k] / 32768;
      right[i] = heap[k + 1] / 32768;
    }
    play.read += left.length;
    _vale_web_audio_pulled();
  };
  node.connect(ctx.destination);
});

EM_JS(double, WebAudioFramesPlayed, (), {
  var play = Module.valeAudioPlay;
  if (!play) return 0;
  var ctx = Module.valeAudioContext;
  var latency = (ctx.outputLatency || 0) + (ctx.baseLatency || 0);
  var heard = (ctx.currentTime - play.start - latency) * ctx.sampleRate - play.node.bufferSize;
  return Math.floor(Math.max(0, Math.min(heard, play.read)));
});

EM_JS(void, WebAudioStop, (), {
  var play = Module.valeAudioPlay;
  if (!play) return;
  play.node.onaudioprocess = null;
  play.node.disconnect();
  Module.valeAudioPlay = null;
});

}  // namespace

// Called by the node after each buffer it has copied.
extern "C" EMSCRIPTEN_KEEPALIVE void vale_web_audio_pulled() {
  if (bufferTaken) bufferTaken();
}

void SetAudioBufferTakenProc(void (*proc)()) { bufferTaken = proc; }

bool OpenAudioDevice(int32_t rate, AudioPullProc, std::string* error) {
  CloseAudioDevice();
  deviceOpen = WebAudioOpen(rate) != 0;
  if (!deviceOpen && error) *error = "no Web Audio context at the mix rate";
  return deviceOpen;
}

int32_t AudioDeviceBufferFrames() { return 0; }
void StartAudioDevice() {}
void StopAudioDevice() { WebAudioStop(); }
void CloseAudioDevice() {
  if (deviceOpen) WebAudioStop();
  deviceOpen = false;
}

bool AudioDevicePlaysInPlace() { return true; }
void PlayRingInPlace(const int16_t* ring, int32_t frames) {
  if (deviceOpen) WebAudioPlayRing(ring, frames);
}
uint64_t AudioDeviceFramesPlayed() { return static_cast<uint64_t>(WebAudioFramesPlayed()); }
