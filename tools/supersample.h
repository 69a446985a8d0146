// vale-tool: supersampling for the frame, contact-sheet and capture commands. The picture is
// drawn N times larger on each side and every N x N block is resolved to the plain mean of its
// 8-bit values, with no gamma step, so a supersampled frame is exactly the block mean of the
// frame drawn at the larger size.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/tool.h"

inline constexpr int kMaxSupersample = 4;

// "--supersample N", 1 to 4 (1 when absent); the drawn size, N times width x height, must be one
// the headless context takes. False with a message otherwise.
bool SupersampleOption(const ToolArgs& args, int width, int height, int& factor, std::string& error);

// `drawn` holds RGB rows of (width * factor) x (height * factor) pixels; the result holds
// width x height, each channel of each pixel the mean of its factor x factor block.
std::vector<uint8_t> ResolveSupersampled(std::vector<uint8_t> drawn, int width, int height, int factor);
