// Helpers shared by the soundtrack tests: reading files and compiling the shipped song source.
#pragma once
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/soundtrack/song_module.h"

inline std::vector<uint8_t> ReadBinaryFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The shipped song, compiled; fails the calling test when it does not compile.
inline bool CompileShippedSong(SongModule& song, std::string& error) {
  const std::vector<uint8_t> text = ReadBinaryFile(VALE_SONG_SOURCE_PATH);
  return CompileSong(std::string(text.begin(), text.end()), song, error);
}
