// Helpers that build the modules the music tests need and load them through the engine's loader.
#pragma once
#include <cstdint>
#include <vector>

#include "music/module.h"
#include "music/xm_writer.h"

// A module with `channels` channels, linear table, tempo 3, 137 BPM, one 64-row pattern and the
// order table {0}.
XmModule MakeTestModule(int channels = 2);
// An instrument with one 16-bit sample of `length` values (data empty: zeros).
XmInstrument MakeTestInstrument(uint32_t length, std::vector<int16_t> data = {},
                                int8_t relativeNote = 0, int8_t finetune = 0, uint8_t volume = 64,
                                uint8_t panning = 128);
// Gives the instrument's first sample a loop.
void SetTestLoop(XmInstrument& instrument, XmLoop loop, uint32_t start, uint32_t length);
// The module's bytes; a writer error fails the test.
std::vector<uint8_t> WriteTestModule(const XmModule& module);

// Writes the module, installs the stream procedures and makes resource 105 answer with the bytes
// (kept alive in `storage`), then loads it. Null on failure.
ModulePlayer* LoadTestModule(const XmModule& module, std::vector<uint8_t>& storage);
ModulePlayer* LoadTestBytes(const std::vector<uint8_t>& bytes, SampleSynthProc synth = nullptr);
// One channel, five orders of a 16-row pattern with a note of a 2000-value sawtooth on every row;
// the song restarts on its last order.
ModulePlayer* LoadRowModule(std::vector<uint8_t>& storage);
