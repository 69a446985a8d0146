// vale-tool's one PNG writer: 8-bit RGB or RGBA rows, row 0 at the top, written through an
// OutputFile, so a failed write never leaves a truncated PNG or costs the file that was there.
#pragma once
#include <cstdint>
#include <span>
#include <string>

enum class PngSpeed {
  Small,  // the library's default compression: stills and sheets
  Fast,   // least compression, one cheap filter: the thousands of frames of a capture
};

struct PngOptions {
  PngSpeed speed = PngSpeed::Small;
  bool keepListed = false;  // the written file stays on the interrupt clean-up list
};

// False with a message naming the path and the reason.
bool WritePng(const std::string& path, int width, int height, int channels, std::span<const uint8_t> pixels,
              std::string& error, PngOptions options = {});
