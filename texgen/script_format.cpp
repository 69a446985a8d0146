// texgen/script_format.cpp: the opcode table and the script validator.
#include "texgen/script_format.h"

#include <cstring>

namespace {
constexpr OperandRole V = RoleValue, L = RoleLayer, C = RoleChannel, S = RoleLatticeStep, N = RoleSampleCount;

#define TEXTURE_OPCODE_INFO(name, opcode, routine, ...) {Op##name, #name, {__VA_ARGS__}},
constexpr OpcodeInfo kOpcodes[] = {TEXTURE_OPERATIONS(TEXTURE_OPCODE_INFO)};
#undef TEXTURE_OPCODE_INFO

const char* RoleText(OperandRole role) {
  switch (role) {
    case RoleLayer: return "layer";
    case RoleChannel: return "channel";
    case RoleLatticeStep: return "lattice step";
    case RoleSampleCount: return "sample count";
    default: return "value";
  }
}

// Null when the byte suits its role, else what is wrong with it.
const char* RoleFault(OperandRole role, uint8_t v) {
  switch (role) {
    case RoleLayer: return v > 3 ? "names a layer above 3" : nullptr;
    case RoleChannel: return v > 2 ? "names a channel above 2" : nullptr;
    case RoleLatticeStep: return (v & (v - 1)) != 0 ? "is not a power of two" : nullptr;
    case RoleSampleCount: return v == 0 ? "is 0" : nullptr;
    default: return nullptr;
  }
}

std::string InstructionName(int index, uint8_t opcode) {
  const OpcodeInfo* info = FindOpcode(opcode);
  std::string text = "instruction " + std::to_string(index + 1) + " (";
  text += info ? info->name : ("opcode " + std::to_string(opcode));
  return text + ")";
}
}  // namespace

std::span<const OpcodeInfo> OpcodeTable() { return kOpcodes; }

const OpcodeInfo* FindOpcode(uint8_t opcode) {
  for (const OpcodeInfo& info : kOpcodes)
    if (info.opcode == opcode) return &info;
  return nullptr;
}

const OpcodeInfo* FindOpcodeByName(std::string_view name) {
  for (const OpcodeInfo& info : kOpcodes)
    if (name == info.name) return &info;
  return nullptr;
}

int ScriptInstructionCount(std::span<const uint8_t> script) {
  if (script.size() < ScriptHeaderSize) return 0;
  const int count = int8_t(script[3]);
  return count > 0 ? count : 0;
}

int ScriptWorkUnits(std::span<const uint8_t> script) { return script.size() < ScriptHeaderSize ? 0 : script[3]; }

ScriptCheck ValidateTextureScript(std::span<const uint8_t> script) {
  ScriptCheck check;
  if (script.size() < ScriptHeaderSize) {
    check.message = "script of " + std::to_string(script.size()) + " bytes is shorter than its 4-byte header";
    return check;
  }
  if (std::memcmp(script.data(), ScriptMagic, 3) != 0) {
    check.message = "script does not start with \"ATG\"";
    return check;
  }
  const int count = ScriptInstructionCount(script);
  size_t at = ScriptHeaderSize;
  for (int i = 0; i < count; ++i) {
    if (script.size() - at < size_t(InstructionSize)) {
      check.message = "instruction " + std::to_string(i + 1) + " of " + std::to_string(count) +
                      " runs past the end of the script (" + std::to_string(script.size()) + " bytes)";
      return check;
    }
    const uint8_t* rec = script.data() + at;
    const uint8_t opcode = rec[0];
    if (script.size() - at < size_t(RecordSize(opcode))) {
      check.message = InstructionName(i, opcode) + ": bitmap cut short, " + std::to_string(script.size() - at) +
                      " of 8201 bytes present";
      return check;
    }
    // A target layer above 3 skips the instruction, so its operands never act.
    const OpcodeInfo* info = FindOpcode(opcode);
    if (info && rec[1] <= 3) {
      for (int b = 0; b < 7; ++b) {
        const char* fault = RoleFault(info->roles[b], rec[2 + b]);
        if (!fault) continue;
        check.message = InstructionName(i, opcode) + ": operand b" + std::to_string(b + 2) + " (" +
                        RoleText(info->roles[b]) + ") = " + std::to_string(rec[2 + b]) + " " + fault;
        return check;
      }
    }
    at += RecordSize(opcode);
  }
  check.ok = true;
  return check;
}
