#include "texgen/upload.h"

std::array<uint32_t, GeneratedTextureCount> textureNames{};
