// tests/texgen/fuzz/texgen_fuzz.cpp: libFuzzer entry for the texture script interpreter
// (built by scripts/fuzz-texgen.sh).
#include "tests/texgen/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RunTextureFuzzInput(data, size);
  return 0;
}
