// music/replay.h: the replay engine, the module's tick procedure. On a row's first tick it reads
// the row's cells (notes, instruments, volume column, key-off, volume slide memory); on the other
// ticks it applies the continuous volume and panning slides; after each channel it pushes the
// changed volume, panning, frequency and note start to the channel's voice.
#pragma once
#include <cstdint>

struct ModulePlayer;
struct ChannelState;
struct SampleRecord;

// samplesPerTick = truncate(1000 / (bpm * 0.4f) * mixRate * 0.001f).
void SetBpm(ModulePlayer* player, int32_t bpm);
int32_t SamplesPerTick(int32_t bpm, int32_t mixRate);
// Resets the playback fields and the channel slots; channel c drives voice c.
void ResetPlaybackState(ModulePlayer* player);
void ReplayStep(ModulePlayer* player);
void PlayRow(ModulePlayer* player);
void PlayTick(ModulePlayer* player);
void ApplyVolumeColumn(ChannelState& channel, uint8_t volume);
void SetInstrumentDefaults(ChannelState& channel, const SampleRecord* sample);
void UpdateVoice(ChannelState& channel, const SampleRecord* sample, const ModulePlayer* player);
// 8363 * 2^((4608 - period) / 768) truncated, the exponent factor a 32-bit float.
int32_t PeriodToFrequency(int32_t period);
