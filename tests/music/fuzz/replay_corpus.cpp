// Runs every file of the fuzz corpus (and any files named on the command line) through the
// fuzz entry once, so the suite keeps every input the fuzzer ever found interesting.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int files = 0;
  for (int a = 1; a < argc; ++a) {
    namespace fs = std::filesystem;
    std::vector<fs::path> paths{argv[a]};
    if (fs::is_directory(argv[a])) paths.assign(fs::directory_iterator(argv[a]), {});
    for (const auto& p : paths) {
      std::ifstream in(p, std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++files;
    }
  }
  std::printf("%d inputs replayed\n", files);
  return files > 0 ? 0 : 1;
}
