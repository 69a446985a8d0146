#include "music/module.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "music/replay.h"
#include "music/stream.h"
#include "music/synth.h"

SampleRecord EmptySample{};
InstrumentRecord EmptyInstrument{};

namespace {

char loadError[160] = "";
void (*releaseHook)(ModulePlayer*) = nullptr;

bool Fail(const char* format, long long a = 0, long long b = 0) {
  std::snprintf(loadError, sizeof loadError, format, a, b);
  return false;
}

// Little-endian fields read through the installed procedures. A short read leaves zeros.
struct Reader {
  MemoryStream* s;
  const StreamProcs& procs;
  void Bytes(void* dst, int32_t n) {
    std::memset(dst, 0, static_cast<size_t>(n));
    procs.read(dst, n, s);
  }
  uint32_t U8() {
    uint8_t b[1];
    Bytes(b, 1);
    return b[0];
  }
  uint32_t U16() {
    uint8_t b[2];
    Bytes(b, 2);
    return b[0] | (b[1] << 8);
  }
  uint32_t U32() {
    uint8_t b[4];
    Bytes(b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  void Skip(int64_t n) { SeekTo(static_cast<int64_t>(procs.tell(s)) + n); }
  // Positions beyond what a stream can address are clamped to its end.
  void SeekTo(int64_t p) { procs.seek(s, static_cast<int32_t>(std::clamp<int64_t>(p, 0, 0x7FFFFFFF)), 0); }
  int32_t Tell() { return procs.tell(s); }
};

constexpr int kMaxRows = 256;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 128;
constexpr int kMaxSamples = 16;
// About six minutes at 44100 Hz; the soundtrack's longest sample is two seconds.
constexpr uint32_t kMaxSynthesisedValues = 1u << 24;

void DecodeCells(Reader& r, PatternCell* cells, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    PatternCell c{};
    uint32_t b = r.U8();
    if (b & 0x80) {
      if (b & 1) c.note = static_cast<uint8_t>(r.U8());
      if (b & 2) c.instrument = static_cast<uint8_t>(r.U8());
      if (b & 4) c.volume = static_cast<uint8_t>(r.U8());
      if (b & 8) c.effect = static_cast<uint8_t>(r.U8());
      if (b & 16) c.parameter = static_cast<uint8_t>(r.U8());
    } else {
      c.note = static_cast<uint8_t>(b);
      c.instrument = static_cast<uint8_t>(r.U8());
      c.volume = static_cast<uint8_t>(r.U8());
      c.effect = static_cast<uint8_t>(r.U8());
      c.parameter = static_cast<uint8_t>(r.U8());
    }
    if (c.note == 97)
      c.note = kKeyOffNote;
    else if (c.note > 97 && c.note < 255)
      c.note = 0;  // beyond the keyboard: no note
    if (c.instrument > 128) c.instrument = 0;
    cells[i] = c;
  }
}

}  // namespace

const char* ModuleLoadError() { return loadError; }

bool ParseModule(MemoryStream* stream, ModulePlayer* m) {
  const StreamProcs& procs = InstalledStreamProcs();
  if (!StreamProcsInstalled()) return Fail("no stream procedures installed");
  Reader r{stream, procs};

  r.SeekTo(0);
  char signature[17];
  r.Bytes(signature, 17);
  if (std::memcmp(signature, "Extended Module: ", 17) != 0) return Fail("not an extended module (signature mismatch)");
  m->tickProc = ReplayStep;
  m->globalVolume = 64;

  // Size of the whole file: every count below is bounded by it.
  procs.seek(stream, 0, 2);
  const int64_t fileSize = r.Tell();

  r.SeekTo(60);
  const uint32_t headerSize = r.U32();
  const uint32_t songLength = r.U16();
  const uint32_t restart = r.U16();
  const uint32_t channels = r.U16();
  const uint32_t storedPatterns = r.U16();
  const uint32_t instruments = r.U16();
  m->flags = static_cast<uint16_t>(r.U16());
  m->defaultTempo = static_cast<int16_t>(r.U16());
  m->defaultBpm = static_cast<int16_t>(r.U16());
  r.Bytes(m->orderTable.data(), 256);
  r.SeekTo(60 + static_cast<int64_t>(headerSize));

  if (channels > kMaxChannels) return Fail("%lld channels: at most 32 can be played", channels);
  if (songLength > 256) return Fail("song length %lld exceeds the 256-entry order table", songLength);
  if (storedPatterns > kMaxPatterns) return Fail("%lld patterns: the format allows at most 256", storedPatterns);
  if (instruments > kMaxInstruments) return Fail("%lld instruments: the format allows at most 128", instruments);
  m->songLength = static_cast<int16_t>(songLength);
  // A restart position outside the song would index past the order table: restart at the top.
  m->restartPosition = static_cast<int16_t>(restart < songLength ? restart : 0);
  m->channelCount = static_cast<int16_t>(channels);
  m->instrumentCount = static_cast<int16_t>(instruments);

  m->usedPatternCount = 0;
  for (uint32_t i = 0; i < songLength; ++i) m->usedPatternCount = std::max<int32_t>(m->usedPatternCount, m->orderTable[i] + 1);
  m->patternSlotCount = std::max<int32_t>(m->usedPatternCount, static_cast<int32_t>(storedPatterns));
  if (m->patternSlotCount > 0) m->patterns = new PatternSlot[m->patternSlotCount]{};

  for (uint32_t p = 0; p < storedPatterns; ++p) {
    r.U32();  // header length: taken to be 9
    r.U8();   // packing type
    const uint32_t rows = r.U16();
    const uint32_t packedSize = r.U16();
    if (rows < 1 || rows > kMaxRows) return Fail("pattern %lld has %lld rows (1..256 allowed)", p, rows);
    PatternSlot& slot = m->patterns[p];
    slot.rows = static_cast<int32_t>(rows);
    slot.packedSize = static_cast<uint16_t>(packedSize);
    const int32_t count = slot.rows * m->channelCount;
    slot.cells = new PatternCell[std::max(count, 1)]{};
    if (packedSize != 0) DecodeCells(r, slot.cells, count);
  }
  for (int32_t p = static_cast<int32_t>(storedPatterns); p < m->usedPatternCount; ++p) {
    m->patterns[p].rows = 64;
    m->patterns[p].cells = new PatternCell[std::max(64 * m->channelCount, 1)]{};
  }

  if (instruments > 0) m->instruments = new InstrumentRecord[instruments]{};
  // Sample data read from the file may not claim more than the file could hold (short files are
  // tolerated, reads past the end give zeros, but allocations stay proportional to the input).
  // Under a synthesis procedure the stored bytes are only skipped, so their size is no bound:
  // the procedure fills whatever length the module declares, up to kMaxSynthesisedValues.
  int64_t sampleBytesBudget = 4 * fileSize;
  for (uint32_t i = 0; i < instruments; ++i) {
    InstrumentRecord& ins = m->instruments[i];
    ins.samples.fill(&EmptySample);
    const int64_t start = r.Tell();
    const uint32_t instrumentSize = r.U32();
    r.Skip(23);
    const uint32_t n = r.U16();
    if (n > kMaxSamples) return Fail("instrument %lld has %lld samples (at most 16)", i + 1, n);
    ins.sampleCount = static_cast<int32_t>(n);
    if (n == 0) {
      r.SeekTo(start + instrumentSize);
      continue;
    }
    r.U32();  // sample header size: taken to be 40
    r.Bytes(ins.keymap.data(), 96);
    // The envelope and vibrato block that follows is skipped: the replay plays neither.
    r.SeekTo(start + instrumentSize);

    for (uint32_t j = 0; j < n; ++j) {
      auto* s = new SampleRecord{};
      ins.samples[j] = s;
      s->length = r.U32();
      s->loopStart = r.U32();
      s->loopLength = r.U32();
      s->volume = static_cast<uint8_t>(r.U8());
      s->finetune = static_cast<int8_t>(r.U8());
      const uint32_t type = r.U8();
      s->loopMode = kLoopNone;
      if (type & 1) s->loopMode = kLoopForward;
      if (type & 2) s->loopMode = kLoopPingPong;
      s->bits = (type & 0x10) ? 16 : 8;
      if (s->loopMode == kLoopNone) {
        s->loopStart = 0;
        s->loopLength = s->length;
      }
      if (s->bits == 16) {
        s->length /= 2;
        s->loopStart /= 2;
        s->loopLength /= 2;
      }
      const int64_t byteCount = static_cast<int64_t>(s->bits) * s->length / 8;
      if (m->synthProc) {
        if (s->length > kMaxSynthesisedValues)
          return Fail("instrument %lld: %lld sample values are more than can be synthesised", i + 1, s->length);
      } else {
        if (byteCount > fileSize || byteCount > sampleBytesBudget)
          return Fail("instrument %lld: sample data of %lld bytes exceeds what the file holds", i + 1, byteCount);
        sampleBytesBudget -= byteCount;
      }
      // Loop points outside the sample would make the mixer read past its data.
      s->loopStart = std::min(s->loopStart, s->length);
      s->loopLength = std::min(s->loopLength, s->length - s->loopStart);
      if (s->loopLength == 0) {
        s->loopStart = 0;
        s->loopLength = s->length;
        s->loopMode = kLoopNone;
      }
      s->panning = static_cast<int32_t>(r.U8());
      s->relativeNote = static_cast<int8_t>(r.U8());
      r.Skip(23);
      if (s->length > 0) s->data = new int16_t[s->length + 8]{};
    }

    for (uint32_t j = 0; j < n; ++j) {
      SampleRecord* s = ins.samples[j];
      if (s->length == 0) continue;
      const uint32_t byteCount = s->bits * s->length / 8;
      const size_t slots = static_cast<size_t>(s->length) + 8;
      auto* buffer = new int16_t[slots]{};
      if (m->synthProc) {
        m->synthProc(std::span<int16_t>(buffer, slots), byteCount, s->bits, static_cast<int32_t>(i),
                     static_cast<int32_t>(j));
        r.Skip(byteCount);
      } else {
        procs.read(buffer, static_cast<int32_t>(byteCount), stream);
      }
      if (s->bits == 8) {
        const auto* bytes = reinterpret_cast<const int8_t*>(buffer);
        for (uint32_t k = 0; k < s->length; ++k) s->data[k] = static_cast<int16_t>(bytes[k] * 256);
        s->bits = 16;
        delete[] buffer;
      } else {
        delete[] s->data;
        s->data = buffer;
      }
      if (!m->synthProc) {
        uint16_t sum = 0;
        for (uint32_t k = 0; k < s->length; ++k) {
          sum = static_cast<uint16_t>(sum + static_cast<uint16_t>(s->data[k]));
          s->data[k] = static_cast<int16_t>(sum);
        }
      }
      const uint32_t end = s->loopStart + s->loopLength;
      if (s->loopMode == kLoopPingPong)
        s->data[end] = s->data[end - 1];
      else if (s->loopMode == kLoopForward)
        s->data[end] = s->data[s->loopStart];
    }
  }
  loadError[0] = 0;
  return true;
}

ModulePlayer* LoadModule(int32_t resourceId, SampleSynthProc synth) {
  auto* player = new ModulePlayer{};
  const StreamProcs& procs = InstalledStreamProcs();
  MemoryStream* stream = StreamProcsInstalled() ? procs.open(resourceId) : nullptr;
  if (!stream) {
    Fail("module resource %lld cannot be opened", resourceId);
    delete player;
    return nullptr;
  }
  player->synthProc = synth;
  const bool ok = ParseModule(stream, player);
  procs.close(stream);
  if (!ok) {
    FreeModule(player);
    return nullptr;
  }
  return player;
}

ModulePlayer* LoadSoundtrack() {
  InstallResourceStreamProcs();
  MemoryStream* patches = OpenResourceStream(kPatchResourceId);
  uint8_t count[4];
  StreamRead(count, 4, patches);  // the record count: patches are taken in order until they run out
  SetPatchStream(patches);
  ModulePlayer* player = LoadModule(kModuleResourceId, PatchSynthProc);
  SetPatchStream(nullptr);
  StreamClose(patches);
  return player;
}

void SetModuleReleaseHook(void (*hook)(ModulePlayer*)) { releaseHook = hook; }

bool FreeModule(ModulePlayer* player) {
  if (!player) return false;
  if (releaseHook) releaseHook(player);
  for (int32_t i = 0; i < player->instrumentCount && player->instruments; ++i) {
    InstrumentRecord& ins = player->instruments[i];
    for (int32_t j = 0; j < ins.sampleCount; ++j) {
      if (ins.samples[j] && ins.samples[j] != &EmptySample) {
        delete[] ins.samples[j]->data;
        delete ins.samples[j];
      }
    }
  }
  delete[] player->instruments;
  for (int32_t p = 0; p < player->patternSlotCount && player->patterns; ++p) delete[] player->patterns[p].cells;
  delete[] player->patterns;
  delete player;
  return true;
}

const PatternSlot* PatternForOrder(const ModulePlayer* player, int32_t orderIndex) {
  if (orderIndex < 0 || orderIndex > 255) return nullptr;
  const int32_t p = player->orderTable[orderIndex];
  if (p >= player->patternSlotCount || !player->patterns[p].cells) return nullptr;
  return &player->patterns[p];
}
