// Running vale-tool as a user does, from a shell, in a folder of the test's own.
#pragma once
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct Result {
  int code = -1;       // the exit code; 128 + N when killed by signal N
  std::string output;  // stdout and stderr
};

inline Result Shell(const std::string& command) {
  Result r;
  FILE* p = popen(("(" + command + ") 2>&1").c_str(), "r");
  if (!p) return r;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, p)) r.output += buffer;
  const int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
  return r;
}
inline Result Tool(const std::string& args, const std::string& env = "") {
  return Shell(env + " " + VALE_TOOL + " " + args);
}

inline std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void Put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

// An 8-bit RGB picture as read from a PNG; empty when the file is missing or unreadable.
struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};
inline Image ReadPng(const fs::path& png) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, png.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  Image out{static_cast<int>(image.width), static_cast<int>(image.height), std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
  return png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) ? out : Image{};
}

// A fresh folder per test, removed afterwards.
class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vale_tool_" + std::to_string(getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  // Names in the folder other than those given.
  std::vector<std::string> Others(std::initializer_list<std::string> expected) const {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      if (std::find(expected.begin(), expected.end(), name) == expected.end()) left.push_back(name);
    }
    return left;
  }
  fs::path dir;
};
