// tests/texgen/fuzz/fuzz_input.cpp: one fuzz input through the validator and interpreter.
#include "tests/texgen/fuzz/fuzz_input.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "texgen/generator.h"
#include "texgen/script_format.h"
#include "texgen/script_text.h"

void RunTextureFuzzInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<TextureGenerator> gen = CreateTextureGenerator();
  static TextureImage image(TexturePixelCount);
  // Exact-size copy so any read past the end is caught by the address checker.
  std::vector<uint8_t> script(data, data + size);
  if (size < 3 || std::memcmp(data, ScriptMagic, 3) != 0) {
    std::string error;
    std::vector<uint8_t> assembled;
    if (!AssembleTextureScript(std::string(data, data + size), assembled, error)) return;
    // The assembler checks only the form (operands may still be rejected by the
    // validator below); what it accepts must read back to the same bytes.
    std::vector<uint8_t> again;
    if (!AssembleTextureScript(DisassembleTextureScript(assembled), again, error) || again != assembled) std::abort();
    script = std::move(assembled);
  }
  const ScriptCheck check = ValidateTextureScript(script);
  gen->workUnitsTotal = ScriptWorkUnits(script);
  gen->workUnitsDone = 0;
  std::string error;
  const bool ran = RunTextureScript(*gen, script, std::span<uint32_t, TexturePixelCount>(image.data(), TexturePixelCount), &error);
  if (ran != check.ok) std::abort();
  if (!ran && error.empty()) std::abort();
  // Every operation keeps the top byte of layer 0 clear.
  if (ran)
    for (uint32_t p : image)
      if (p >> 24) std::abort();
}
