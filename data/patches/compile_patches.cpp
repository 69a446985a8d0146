// Turns the readable patch table into the bytes of resource 125: a 32-bit little-endian record
// count, then one 68-byte record per line (floats as IEEE single, integers little-endian).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "music/byte_writer.h"

namespace {

void PutF32(std::vector<uint8_t>& out, double v) {
  const float f = static_cast<float>(v);
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  Put32(out, bits);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: compile_patches TABLE.txt OUT.bin\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "compile_patches: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<uint8_t> records;
  uint32_t count = 0;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream fields(line);
    double v[19];
    int n = 0;
    while (n < 19 && fields >> v[n]) ++n;
    if (n == 0 && fields.eof()) continue;
    std::string extra;
    if (n != 19 || (fields >> extra)) {
      std::fprintf(stderr, "%s:%d: expected 19 numbers\n", argv[1], lineNumber);
      return 1;
    }
    if (v[0] != count) {
      std::fprintf(stderr, "%s:%d: record %u expected\n", argv[1], lineNumber, count);
      return 1;
    }
    // rec wave freq phase amp fsweep rate attack hold release cutoff q csweep qsweep avgA avgB asweepA asweepB flags
    PutF32(records, v[2]);
    PutF32(records, v[3]);
    PutF32(records, v[4]);
    PutF32(records, v[5]);
    Put16(records, static_cast<uint32_t>(v[6]));
    Put16(records, static_cast<uint32_t>(v[1]));
    Put32(records, static_cast<uint32_t>(v[7]));
    Put32(records, static_cast<uint32_t>(v[8]));
    Put32(records, static_cast<uint32_t>(v[9]));
    PutF32(records, v[10]);
    PutF32(records, v[11]);
    PutF32(records, v[12]);
    PutF32(records, v[13]);
    Put32(records, static_cast<uint32_t>(static_cast<int32_t>(v[14])));
    Put32(records, static_cast<uint32_t>(static_cast<int32_t>(v[15])));
    PutF32(records, v[16]);
    PutF32(records, v[17]);
    Put16(records, static_cast<uint32_t>(v[18]));
    Put16(records, 0);
    ++count;
  }
  std::vector<uint8_t> out;
  Put32(out, count);
  out.insert(out.end(), records.begin(), records.end());
  std::FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "compile_patches: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
