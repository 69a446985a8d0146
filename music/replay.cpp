#include "music/replay.h"

#include <algorithm>
#include <cmath>

#include "music/mixer.h"
#include "music/module.h"

int32_t SamplesPerTick(int32_t bpm, int32_t mixRate) {
  // Tempo 0 would make ticks infinitely long and stall the block fill; hold it at 1.
  bpm = std::max(bpm, 1);
  const double v = 1000.0 / (bpm * static_cast<double>(0.4f)) * mixRate * static_cast<double>(0.001f);
  return std::max<int32_t>(static_cast<int32_t>(v), 1);
}

void SetBpm(ModulePlayer* player, int32_t bpm) {
  player->bpm = bpm;
  player->samplesPerTick = SamplesPerTick(bpm, mixSettings.mixRate);
}

void ResetPlaybackState(ModulePlayer* p) {
  // A tempo below 1 tick per row would never return to the row's first tick.
  p->speed = std::max<int32_t>(p->defaultTempo, 1);
  p->nextOrder = p->nextRow = -1;
  p->tick = p->row = p->orderIndex = 0;
  p->samplesUntilTick = 0;
  SetBpm(p, p->defaultBpm);
  for (int c = 0; c < kMaxChannels; ++c) {
    p->channels[c] = ChannelState{};
    p->channels[c].voice = &voices[c];
  }
}

int32_t PeriodToFrequency(int32_t period) {
  const double k = static_cast<double>(1.0f / 768.0f);
  return static_cast<int32_t>(8363.0 * std::pow(2.0, (4608 - period) * k));
}

namespace {

// Sample chosen by a channel's instrument and note; EmptySample where there is none.
const SampleRecord* LookUpSample(const ModulePlayer* p, const ChannelState& ch) {
  if (ch.instrument >= p->instrumentCount) return &EmptySample;
  const InstrumentRecord& ins = p->instruments[ch.instrument];
  const uint8_t slot = ins.keymap[std::min<uint8_t>(ch.note, 95)];
  if (slot >= 16 || !ins.samples[slot]) return &EmptySample;
  return ins.samples[slot];
}

const PatternCell* RowCells(const ModulePlayer* p) {
  const PatternSlot* pattern = PatternForOrder(p, p->orderIndex);
  if (!pattern || p->channelCount <= 0 || p->row < 0 || p->row >= pattern->rows) return nullptr;
  return pattern->cells + static_cast<size_t>(p->row) * p->channelCount;
}

Voice& Twin(Voice& v) { return voices[v.index < 32 ? v.index + 32 : v.index - 32]; }

// Panning 0 is fully left and 255 fully right, as the module format means it.
void ApplyGains(Voice& v) {
  v.gainA = (255 - v.panning) * v.volume / 255;
  v.gainB = v.panning * v.volume / 255;
}

}  // namespace

void SetInstrumentDefaults(ChannelState& ch, const SampleRecord* sample) {
  ch.volume = sample->volume;
  ch.panning = sample->panning;
  ch.gate = 64;
  ch.keyOff = false;
  ch.updateFlags |= kUpdateVolume | kUpdatePanning;
}

void ApplyVolumeColumn(ChannelState& ch, uint8_t v) {
  const int32_t low = v & 0x0F;
  if (v >= 0x10 && v <= 0x50) {
    ch.volume = v - 0x10;
    ch.updateFlags |= kUpdateVolume;
  } else if ((v >= 0x60 && v <= 0x6F) || (v >= 0x80 && v <= 0x8F)) {
    ch.volume = std::max(ch.volume - low, 0);
    ch.updateFlags |= kUpdateVolume;
  } else if ((v >= 0x70 && v <= 0x7F) || (v >= 0x90 && v <= 0x9F)) {
    ch.volume = std::min(ch.volume + low, 64);
    ch.updateFlags |= kUpdateVolume;
  } else if (v >= 0xC0 && v <= 0xCF) {
    ch.panning = low * 16;
    ch.updateFlags |= kUpdatePanning;
  } else if (v >= 0xD0 && v <= 0xDF) {
    ch.panning -= low;
    ch.updateFlags |= kUpdatePanning;
  } else if (v >= 0xE0 && v <= 0xEF) {
    ch.panning += low;
    ch.updateFlags |= kUpdatePanning;
  } else if (v >= 0xF0) {
    ch.updateFlags &= static_cast<uint8_t>(~kUpdateStartNote);
  }
}

void UpdateVoice(ChannelState& ch, const SampleRecord* sample, const ModulePlayer* p) {
  if (ch.period == 0) ch.updateFlags &= static_cast<uint8_t>(~kUpdateFrequency);
  if (ch.updateFlags & kUpdateStartNote) {
    Voice* v = ch.voice;
    if (v->sample) {
      // The old note fades out on its own voice while the new one starts on the twin.
      Voice& twin = Twin(*v);
      const int32_t twinIndex = twin.index;
      twin = *v;
      twin.index = twinIndex;
      v->volume = v->gainA = v->gainB = 0;
      ch.voice = &twin;
      v = &twin;
    }
    v->sample = sample;
    v->positionInt = v->positionFrac = 0;
    v->direction = kForward;
    v->currentA = v->currentB = 0;
    v->rampRemaining = 0;
  }
  Voice& v = *ch.voice;
  if (ch.updateFlags & kUpdateVolume) {
    v.volume = static_cast<int32_t>(static_cast<int64_t>(ch.volume) * ch.gate * p->globalVolume * 255 / (1 << 19));
    ApplyGains(v);
  }
  if (ch.updateFlags & kUpdatePanning) {
    v.panning = std::clamp(ch.panning, 0, 255);
    ApplyGains(v);
  }
  if (ch.updateFlags & kUpdateFrequency) {
    const int32_t f = PeriodToFrequency(ch.period);
    v.frequency = f;
    const uint32_t rate = static_cast<uint32_t>(mixSettings.mixRate);
    const uint32_t stepFreq = static_cast<uint32_t>(std::max(f, 100));
    v.stepInt = stepFreq / rate;
    v.stepFrac = static_cast<uint32_t>((static_cast<uint64_t>(stepFreq % rate) << 32) / rate);
  }
}

void PlayRow(ModulePlayer* p) {
  p->nextOrder = p->nextRow = -1;
  const PatternCell* cells = RowCells(p);
  if (!cells) return;
  for (int c = 0; c < p->channelCount; ++c) {
    const PatternCell& cell = cells[c];
    ChannelState& ch = p->channels[c];
    const bool portaMark = cell.effect == 3 || cell.effect == 5;
    const bool hasNote = cell.note >= 1 && cell.note <= 254;
    if (!portaMark) {
      if (cell.instrument) ch.instrument = static_cast<uint8_t>(cell.instrument - 1);
      if (hasNote) ch.note = static_cast<uint8_t>(cell.note - 1);
    }
    const SampleRecord* sample = LookUpSample(p, ch);
    if (ch.instrument < p->instrumentCount && !portaMark) ch.sample = const_cast<SampleRecord*>(sample);
    ch.updateFlags = 0;
    if (hasNote) {
      ch.realNote = static_cast<uint8_t>(cell.note - 1 + sample->relativeNote);
      if (p->flags & 1) ch.targetPeriod = 7680 - 64 * ch.realNote - sample->finetune / 2;
      if (!portaMark) ch.period = ch.targetPeriod;
      ch.updateFlags = kUpdateStartNote;
    }
    ch.updateFlags |= kUpdateFrequency | kUpdateVolume;
    if (cell.instrument) SetInstrumentDefaults(ch, sample);
    if (cell.volume) ApplyVolumeColumn(ch, cell.volume);
    if (cell.note == kKeyOffNote || cell.effect == 0x14) ch.keyOff = true;
    if (ch.keyOff) {
      ch.gate = 0;
      ch.updateFlags |= kUpdateVolume;
    }
    if (cell.effect == 0x0A && cell.parameter) ch.volumeSlideMemory = cell.parameter;
    UpdateVoice(ch, sample, p);
  }
}

void PlayTick(ModulePlayer* p) {
  const PatternCell* cells = RowCells(p);
  if (!cells) return;
  for (int c = 0; c < p->channelCount; ++c) {
    const PatternCell& cell = cells[c];
    ChannelState& ch = p->channels[c];
    const SampleRecord* sample = LookUpSample(p, ch);
    ch.updateFlags = ch.keyOff ? kUpdateVolume : 0;
    const uint8_t v = cell.volume;
    const int32_t low = v & 0x0F;
    if (v >= 0x60 && v <= 0x6F) {
      ch.volume = std::max(ch.volume - low, 0);
      ch.updateFlags |= kUpdateVolume;
    } else if (v >= 0x70 && v <= 0x7F) {
      ch.volume = std::min(ch.volume + low, 64);
      ch.updateFlags |= kUpdateVolume;
    } else if (v >= 0xD0 && v <= 0xDF) {
      ch.panning -= low;
      ch.updateFlags |= kUpdatePanning;
    } else if (v >= 0xE0 && v <= 0xEF) {
      ch.panning += low;
      ch.updateFlags |= kUpdatePanning;
    }
    if (cell.effect == 0x0A) {
      const int32_t x = ch.volumeSlideMemory >> 4, y = ch.volumeSlideMemory & 0x0F;
      if (x != 0)
        ch.volume = std::min(ch.volume + x, 64);
      else
        ch.volume = std::max(ch.volume - y, 0);
      ch.updateFlags |= kUpdateVolume;
    }
    UpdateVoice(ch, sample, p);
  }
}

void ReplayStep(ModulePlayer* p) {
  if (p->tick == 0) {
    if (p->nextOrder >= 0) p->orderIndex = p->nextOrder;
    if (p->nextRow >= 0) p->row = p->nextRow;
    PlayRow(p);
    p->nextRow = p->row + 1;
    // An order naming a pattern that does not exist plays as 64 empty rows.
    const PatternSlot* pattern = PatternForOrder(p, p->orderIndex);
    const int32_t rows = pattern ? pattern->rows : 64;
    if (p->nextRow >= rows) {
      p->nextOrder = p->orderIndex + 1;
      if (p->nextOrder >= p->songLength) p->nextOrder = p->restartPosition;
      p->nextRow = 0;
    }
  } else {
    PlayTick(p);
  }
  p->tick += 1;
  if (p->tick >= p->speed) p->tick = 0;
}
