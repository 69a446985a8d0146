// texgen/script_text.cpp: assembler and disassembler of the readable script form; the
// build turns the program's scripts into bytes with it, and vale-tool reads either form.
#include "texgen/script_text.h"

#include <cstdio>
#include <cstdlib>

#include "texgen/script_format.h"

namespace {
std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == ',')) ++i;
    size_t j = i;
    while (j < line.size() && !(line[j] == ' ' || line[j] == '\t' || line[j] == '\r' || line[j] == ',')) ++j;
    if (j > i) out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

bool ParseByte(std::string_view token, uint8_t& value) {
  std::string s(token);
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 0);
  if (s.empty() || *end != '\0' || v < 0 || v > 255) return false;
  value = uint8_t(v);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool AssembleTextureScript(std::string_view text, std::vector<uint8_t>& script, std::string& error) {
  script.assign({ScriptMagic[0], ScriptMagic[1], ScriptMagic[2], 0});
  int count = 0, lineNo = 0;
  size_t bitmapBytesWanted = 0;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++lineNo;
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const auto tokens = Tokens(line);
    if (tokens.empty()) continue;
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(lineNo) + ": " + what;
      return false;
    };
    if (tokens[0] == "data") {
      if (bitmapBytesWanted == 0) return fail("data line without a Bitmap before it");
      for (size_t t = 1; t < tokens.size(); ++t) {
        const std::string_view hex = tokens[t];
        if (hex.size() % 2) return fail("odd number of hex digits");
        for (size_t k = 0; k < hex.size(); k += 2) {
          const int hi = HexDigit(hex[k]), lo = HexDigit(hex[k + 1]);
          if (hi < 0 || lo < 0) return fail("bad hex digit in data");
          if (bitmapBytesWanted == 0) return fail("more than 8192 bitmap bytes");
          script.push_back(uint8_t(hi * 16 + lo));
          --bitmapBytesWanted;
        }
      }
      continue;
    }
    if (bitmapBytesWanted) return fail("bitmap has " + std::to_string(BitmapDataSize - bitmapBytesWanted) + " of 8192 bytes");
    if (tokens.size() != 9) return fail("an instruction is an opcode, a target layer and 7 operand bytes");
    uint8_t record[InstructionSize];
    if (const OpcodeInfo* info = FindOpcodeByName(tokens[0]))
      record[0] = info->opcode;
    else if (!ParseByte(tokens[0], record[0]))
      return fail(std::string("unknown opcode ").append(tokens[0]));
    for (int k = 1; k < 9; ++k)
      if (!ParseByte(tokens[k], record[k])) return fail(std::string(tokens[k]).append(" is not a byte"));
    script.insert(script.end(), record, record + InstructionSize);
    if (record[0] == OpBitmap) bitmapBytesWanted = BitmapDataSize;
    if (++count > 127) return fail("more than 127 instructions");
  }
  if (bitmapBytesWanted) {
    error = "bitmap has " + std::to_string(BitmapDataSize - bitmapBytesWanted) + " of 8192 bytes";
    return false;
  }
  script[3] = uint8_t(count);
  return true;
}

std::string DisassembleTextureScript(std::span<const uint8_t> script) {
  std::string out;
  const int count = ScriptInstructionCount(script);
  size_t at = ScriptHeaderSize;
  char buf[128];
  for (int i = 0; i < count && at + InstructionSize <= script.size(); ++i) {
    const uint8_t* r = script.data() + at;
    const OpcodeInfo* info = FindOpcode(r[0]);
    const std::string name = info ? info->name : std::to_string(r[0]);
    std::snprintf(buf, sizeof buf, "%-18s %3d  %3d %3d %3d %3d %3d %3d %3d\n", name.c_str(), r[1], r[2], r[3], r[4], r[5],
                  r[6], r[7], r[8]);
    out += buf;
    at += InstructionSize;
    if (r[0] == OpBitmap) {
      for (int k = 0; k < BitmapDataSize && at < script.size(); ++k, ++at) {
        if (k % 32 == 0) out += "data ";
        std::snprintf(buf, sizeof buf, "%02x", script[at]);
        out += buf;
        if (k % 32 == 31) out += "\n";
      }
    }
  }
  return out;
}
