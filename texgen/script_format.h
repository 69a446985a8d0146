// texgen/script_format.h: the byte code of a texture script: header, 9-byte instruction
// records, the opcode table with the role of every operand byte, and the validator that
// decides whether a script is safe to run before any of it runs.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "texgen/op_list.h"

// "ATG" then a count byte; the count is read signed, so 1..127 instructions run.
inline constexpr int ScriptHeaderSize = 4;
inline constexpr int InstructionSize = 9;
inline constexpr int BitmapDataSize = 8192;
inline constexpr uint8_t ScriptMagic[3] = {0x41, 0x54, 0x47};

// The opcode byte of every operation, as Op<Name>.
#define TEXTURE_OPCODE(name, opcode, ...) Op##name = opcode,
enum Opcode : uint8_t { TEXTURE_OPERATIONS(TEXTURE_OPCODE) };
#undef TEXTURE_OPCODE

// What an operand byte b2..b8 means to the validator.
enum OperandRole : uint8_t {
  RoleValue = 0,     // any byte (or ignored)
  RoleLayer,         // must be 0..3
  RoleChannel,       // must be 0..2
  RoleLatticeStep,   // 0 (no-op) or a power of two
  RoleSampleCount,   // at least 1
};

struct OpcodeInfo {
  uint8_t opcode;
  const char* name;
  std::array<OperandRole, 7> roles;  // b2..b8
};

// Every opcode that does something; other opcodes are accepted and do nothing.
std::span<const OpcodeInfo> OpcodeTable();
const OpcodeInfo* FindOpcode(uint8_t opcode);
const OpcodeInfo* FindOpcodeByName(std::string_view name);

// The count byte as the interpreter reads it: 0 for 0 and for 128..255.
int ScriptInstructionCount(std::span<const uint8_t> script);
// The count byte read unsigned: the script's work units for progress.
int ScriptWorkUnits(std::span<const uint8_t> script);
// Bytes one record occupies: 9, or 8,201 for a bitmap.
inline int RecordSize(uint8_t opcode) { return opcode == OpBitmap ? InstructionSize + BitmapDataSize : InstructionSize; }

struct ScriptCheck {
  bool ok = false;
  std::string message;  // names the instruction and the operand when not ok
};
// Accepts exactly the scripts the interpreter can run without reading or writing out of
// bounds: right magic, every counted record complete, every layer operand 0..3, every
// channel 0..2, lattice steps powers of two, smears with at least one sample.
ScriptCheck ValidateTextureScript(std::span<const uint8_t> script);
