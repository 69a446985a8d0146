// vale-fingerprint: hashes of everything the program computes from numbers at start-up and while
// playing: the nine generated textures, the samples synthesised from the patch table, and the
// song mixed offline through the engine. Built for Linux and for Windows alike, so that the two
// builds' outputs can be compared line by line: any floating-point difference between the
// compilers, their code generation or their maths libraries shows up as the line that differs.
//
// The lines go to a sink, so that the web page can write them where a person reads them; the
// program itself (fingerprint_main.cpp) prints them.
#include "tools/fingerprint.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <span>
#include <vector>

#include "music/module.h"
#include "platform/random.h"
#include "music/render.h"
#include "music/stream.h"
#include "music/synth.h"
#include "texgen/generator.h"
#include "texgen/texture_set.h"

namespace {

FingerprintSink gSink = nullptr;

void Line(const char* format, ...) {
  char text[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  gSink(text);
}

// 64-bit FNV-1a over the bytes of the values, in little-endian order on every target.
struct Fnv {
  uint64_t h = 0xCBF29CE484222325ull;
  void Byte(uint8_t b) { h = (h ^ b) * 0x100000001B3ull; }
  void Add(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Add(int16_t v) {
    Byte(static_cast<uint8_t>(v));
    Byte(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
  }
};

uint32_t LittleU32(std::span<const uint8_t> b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool Textures() {
  std::string error;
  const std::vector<TextureImage> images = GenerateTextures(TextureScriptList(), nullptr, &error);
  if (images.empty()) {
    std::fprintf(stderr, "vale-fingerprint: textures: %s\n", error.c_str());
    return false;
  }
  for (size_t k = 0; k < images.size(); ++k) {
    Fnv f;
    for (uint32_t p : images[k]) f.Add(p);
    Line("texture %zu %016" PRIx64, k, f.h);
  }
  return true;
}

// Each record of the patch table in order, from the generator state the music start begins
// with (the noise oscillator draws from the shared generator).
bool Samples() {
  const std::span<const uint8_t> table = EmbeddedResource(kPatchResourceId);
  if (table.size() < 4) return false;
  const uint32_t records = LittleU32(table);
  if (table.size() < 4 + uint64_t(records) * kPatchBytes) return false;
  SeedRandom(1);
  for (uint32_t k = 0; k < records; ++k) {
    const SynthPatch patch = DecodeSynthPatch(table.subspan(4 + kPatchBytes * k).first<kPatchBytes>());
    std::vector<int16_t> values(PatchValueCount(patch));
    const uint32_t written = SynthesizeSample(patch, values);
    Fnv f;
    for (uint32_t i = 0; i < written; ++i) f.Add(values[i]);
    Line("sample %u %u %016" PRIx64, k, written, f.h);
  }
  Line("random-state %08x", RandomState());
  return true;
}

// The song as heard, one hash per five seconds, so a difference is located in time.
bool Song(double seconds) {
  ModulePlayer* player = LoadSoundtrack();
  if (!player) {
    std::fprintf(stderr, "vale-fingerprint: soundtrack: %s\n", ModuleLoadError());
    return false;
  }
  constexpr uint64_t kChunkFrames = 5 * 44100;
  const uint64_t limit = seconds > 0 ? static_cast<uint64_t>(seconds * 44100) : UINT64_MAX;
  uint64_t frame = 0;
  Fnv f;
  auto flush = [&] {
    Line("audio %6.1f s %016" PRIx64, static_cast<double>(frame) / 44100.0, f.h);
    f = Fnv{};
  };
  RenderOffline(player, {}, [&](std::span<const int16_t> values) {
    for (size_t i = 0; i + 1 < values.size() && frame < limit; i += 2) {
      f.Add(values[i]);
      f.Add(values[i + 1]);
      if (++frame % kChunkFrames == 0) flush();
    }
  });
  if (frame % kChunkFrames) flush();
  Line("audio-frames %" PRIu64, frame);
  FreeModule(player);
  return true;
}

}  // namespace

bool WriteFingerprint(double seconds, FingerprintSink sink) {
  gSink = sink;
  return Textures() && Samples() && Song(seconds);
}
