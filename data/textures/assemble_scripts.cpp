// data/textures/assemble_scripts.cpp: build step that turns the readable texture scripts
// into the C++ byte arrays the program embeds.
//   usage: assemble_scripts OUT.cpp NAME=FILE.tex ...
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "texgen/script_text.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: assemble_scripts OUT.cpp NAME=FILE.tex ...\n");
    return 2;
  }
  std::ostringstream out;
  out << "// Generated from data/textures/*.tex by assemble_scripts; do not edit.\n"
      << "#include \"texgen/texture_set.h\"\n\n";
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t eq = arg.find('=');
    if (eq == std::string::npos) {
      std::fprintf(stderr, "assemble_scripts: '%s' is not NAME=FILE\n", argv[i]);
      return 2;
    }
    const std::string name = arg.substr(0, eq), path = arg.substr(eq + 1);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "assemble_scripts: cannot read %s\n", path.c_str());
      return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<uint8_t> bytes;
    std::string error;
    if (!AssembleTextureScript(text.str(), bytes, error)) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
    out << "static constexpr uint8_t " << name << "Bytes[" << bytes.size() << "] = {";
    for (size_t k = 0; k < bytes.size(); ++k) out << (k % 18 == 0 ? "\n    " : " ") << int(bytes[k]) << ",";
    out << "\n};\nconst std::span<const uint8_t> " << name << "{" << name << "Bytes};\n\n";
  }
  std::ofstream file(argv[1], std::ios::binary);
  file << out.str();
  return file ? 0 : 1;
}
