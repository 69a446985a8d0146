// vale-tool texture-script: runs one texture script file (the byte format, or the
// readable form with opcode names) and writes its image as a PNG.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "texgen/generator.h"
#include "texgen/script_format.h"
#include "texgen/script_text.h"
#include "platform/output_file.h"
#include "tools/png_writer.h"
#include "tools/tool.h"

namespace {
int RunTextureScriptCommand(std::span<const std::string> args);
const ToolCommand kCommand{"texture-script", "FILE OUT.png [--list]",
                           "runs a texture script (bytes, or text with opcode names) and writes its image; --list prints its instructions",
                           RunTextureScriptCommand};

int RunTextureScriptCommand(std::span<const std::string> args) {
  static const std::string_view switches[] = {"--list"};
  const ToolArgs parsed = ParseToolArgs(args, {}, switches);
  if (!parsed.error.empty()) return ToolFail(parsed.error, 2);
  if (parsed.positional.size() != 2) return ToolUsage(kCommand);
  std::vector<uint8_t> script;
  std::string error;
  if (!ReadInputFile(parsed.positional[0], kMaxScriptBytes, script, error)) return ToolFail(error);
  // Byte scripts start with the magic; anything else is taken as the readable form.
  if (script.size() < 3 || std::memcmp(script.data(), ScriptMagic, 3) != 0) {
    const std::string text(script.begin(), script.end());
    if (!AssembleTextureScript(text, script, error)) return ToolFail(parsed.positional[0] + ": " + error);
  }
  // An empty script would run to a black image that looks like a result.
  if (ScriptInstructionCount(script) == 0) return ToolFail(parsed.positional[0] + " holds no instructions");
  if (HasOption(parsed, "--list")) std::fputs(DisassembleTextureScript(script).c_str(), stdout);

  std::unique_ptr<TextureGenerator> gen = CreateTextureGenerator();
  gen->workUnitsTotal = ScriptWorkUnits(script);
  ToolProgress bar("texture");
  gen->progress = [&bar](float f) { bar.Update(f); };
  TextureImage image(TexturePixelCount, 0u);
  const auto start = std::chrono::steady_clock::now();
  const bool ok = RunTextureScript(*gen, script, std::span<uint32_t, TexturePixelCount>(image.data(), TexturePixelCount), &error);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  bar.Finish();
  if (!ok) return ToolFail(parsed.positional[0] + ": " + error);
  std::vector<uint8_t> rgb(image.size() * 3);
  for (size_t i = 0; i < image.size(); ++i) {
    rgb[3 * i] = uint8_t(image[i] >> 16);
    rgb[3 * i + 1] = uint8_t(image[i] >> 8);
    rgb[3 * i + 2] = uint8_t(image[i]);
  }
  if (!WritePng(parsed.positional[1], TextureSize, TextureSize, 3, rgb, error)) return ToolFail(error);
  std::printf("ran %d instructions in %.1f ms\n", ScriptInstructionCount(script), ms);
  return 0;
}

ToolRegistration registration(kCommand);
}  // namespace
