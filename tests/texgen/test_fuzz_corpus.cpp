// Replays every committed fuzz input through the validator and interpreter, so CI keeps
// what the fuzzer found without running the fuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/texgen/fuzz/fuzz_input.h"

TEST(TexgenFuzzCorpus, EveryInputRunsSafely) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VALE_TEXGEN_CORPUS)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().string());
    RunTextureFuzzInput(data.data(), data.size());
    ++files;
  }
  EXPECT_GE(files, 10);
}
