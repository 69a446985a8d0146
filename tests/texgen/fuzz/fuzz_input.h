// tests/texgen/fuzz/fuzz_input.h: what one fuzz input does, shared by the libFuzzer
// target and the corpus replay test.
#pragma once
#include <cstddef>
#include <cstdint>

// Runs the bytes as a script (or, when they lack the magic, as script text) through the
// validator and, when accepted, the interpreter. Aborts on an inconsistency.
void RunTextureFuzzInput(const uint8_t* data, size_t size);
