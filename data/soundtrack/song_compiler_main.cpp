// Build-time song compiler: song source in, soundtrack module out.
//   vale-song-compiler SOURCE OUT.xm
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "data/soundtrack/song_module.h"
#include "data/soundtrack/song_xm.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vale-song-compiler SOURCE OUT.xm\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", argv[1]);
    return 1;
  }
  std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  SongModule song;
  std::string error;
  if (!CompileSong(source, song, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::vector<uint8_t> bytes = WriteSongXm(song, {});
  if (bytes.empty()) {
    std::fprintf(stderr, "%s: the module writer refuses the song\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "%s: cannot write\n", argv[2]);
    return 1;
  }
  return 0;
}
