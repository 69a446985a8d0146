#include "tests/music/test_modules.h"

#include <gtest/gtest.h>

#include "music/stream.h"

XmModule MakeTestModule(int channels) {
  return {.name = "test", .channels = static_cast<uint16_t>(channels), .orders = {0},
          .patterns = {MakeEmptyPattern(64, channels)}, .instruments = {}};
}

XmInstrument MakeTestInstrument(uint32_t length, std::vector<int16_t> data, int8_t relativeNote,
                                int8_t finetune, uint8_t volume, uint8_t panning) {
  return {.name = {}, .samples = {{.name = {}, .length = length, .volume = volume,
                                   .finetune = finetune, .panning = panning,
                                   .relativeNote = relativeNote, .data = std::move(data)}}};
}

void SetTestLoop(XmInstrument& instrument, XmLoop loop, uint32_t start, uint32_t length) {
  instrument.samples[0].loop = loop;
  instrument.samples[0].loopStart = start;
  instrument.samples[0].loopLength = length;
}

std::vector<uint8_t> WriteTestModule(const XmModule& module) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(WriteXmModule(module, bytes, error)) << error;
  return bytes;
}

ModulePlayer* LoadTestBytes(const std::vector<uint8_t>& bytes, SampleSynthProc synth) {
  InstallResourceStreamProcs();
  SetResourceOverride(kModuleResourceId, bytes);
  ModulePlayer* p = LoadModule(kModuleResourceId, synth);
  SetResourceOverride(kModuleResourceId, {});
  return p;
}

ModulePlayer* LoadTestModule(const XmModule& module, std::vector<uint8_t>& storage) {
  storage = WriteTestModule(module);
  return LoadTestBytes(storage);
}

ModulePlayer* LoadRowModule(std::vector<uint8_t>& storage) {
  XmModule m = MakeTestModule(1);
  m.orders = {0, 0, 0, 0, 0};
  m.restartPosition = 4;
  m.patterns = {MakeEmptyPattern(16, 1)};
  for (int r = 0; r < 16; ++r) m.patterns[0].cells[r] = {static_cast<uint8_t>(37 + r), 1, 0, 0, 0};
  std::vector<int16_t> wave(2000);
  for (size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<int16_t>((i % 100) * 300 - 15000);
  m.instruments = {MakeTestInstrument(2000, wave, 29, 100)};
  return LoadTestModule(m, storage);
}
