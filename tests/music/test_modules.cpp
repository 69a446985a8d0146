#include "tests/music/test_modules.h"

#include <gtest/gtest.h>

#include "music/stream.h"

XmModule MakeTestModule(int channels) {
  XmModule m;
  m.name = "test";
  m.channels = static_cast<uint16_t>(channels);
  m.orders = {0};
  m.patterns.push_back(MakeEmptyPattern(64, channels));
  return m;
}

XmInstrument MakeTestInstrument(uint32_t length, std::vector<int16_t> data, int8_t relativeNote, int8_t finetune,
                                uint8_t volume, uint8_t panning) {
  XmInstrument ins;
  XmSample s;
  s.length = length;
  s.data = std::move(data);
  s.relativeNote = relativeNote;
  s.finetune = finetune;
  s.volume = volume;
  s.panning = panning;
  ins.samples.push_back(s);
  return ins;
}

ModulePlayer* LoadTestBytes(const std::vector<uint8_t>& bytes, SampleSynthProc synth) {
  InstallResourceStreamProcs();
  SetResourceOverride(kModuleResourceId, bytes);
  ModulePlayer* p = LoadModule(kModuleResourceId, synth);
  SetResourceOverride(kModuleResourceId, {});
  return p;
}

ModulePlayer* LoadTestModule(const XmModule& module, std::vector<uint8_t>& storage, SampleSynthProc synth) {
  std::string error;
  EXPECT_TRUE(WriteXmModule(module, storage, error)) << error;
  return LoadTestBytes(storage, synth);
}
