// texgen/script_text.h: the readable form of texture scripts, one instruction per line:
//   OpcodeName  target  b2 b3 b4 b5 b6 b7 b8      # comment
// numbers decimal or 0x hex; an opcode may also be given as a number. A Bitmap line is
// followed by "data" lines of hex byte pairs holding its 8,192 bitmap bytes. The header
// ("ATG" and the count) is made by the assembler.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// False with `error` naming the line when the text is malformed.
bool AssembleTextureScript(std::string_view text, std::vector<uint8_t>& script, std::string& error);
// One line per counted instruction (bitmap data written as data lines).
std::string DisassembleTextureScript(std::span<const uint8_t> script);
