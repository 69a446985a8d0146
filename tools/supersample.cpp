#include "tools/supersample.h"

#include "platform/headless.h"

namespace {

// One pass down the drawn rows: each output row sums N drawn rows column by column, then every
// N x N block sum is divided. The mean rounds to the nearest value, a half upwards:
// (sum + N*N/2) / (N*N), all in integers, so the result does not depend on float rounding.
template <int N>
void Resolve(const uint8_t* drawn, uint8_t* out, int width, int height) {
  const size_t drawnRow = static_cast<size_t>(width) * N * 3;
  std::vector<uint32_t> sums(drawnRow);
  constexpr uint32_t kCount = N * N, kHalf = kCount / 2;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = drawn + static_cast<size_t>(y) * N * drawnRow;
    for (size_t i = 0; i < drawnRow; ++i) sums[i] = row[i];
    for (int r = 1; r < N; ++r) {
      row += drawnRow;
      for (size_t i = 0; i < drawnRow; ++i) sums[i] += row[i];
    }
    uint8_t* o = out + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) {
        uint32_t sum = 0;
        for (int k = 0; k < N; ++k) sum += sums[(static_cast<size_t>(x) * N + k) * 3 + c];
        o[x * 3 + c] = static_cast<uint8_t>((sum + kHalf) / kCount);
      }
  }
}

}  // namespace

bool SupersampleOption(const ToolArgs& args, int width, int height, int& factor, std::string& error) {
  long long n = 1;
  if (!IntOption(args, "--supersample", 1, kMaxSupersample, n, error)) return false;
  if (static_cast<long long>(width) * n > kMaxHeadlessSide || static_cast<long long>(height) * n > kMaxHeadlessSide) {
    error = "--supersample " + std::to_string(n) + " would draw " + std::to_string(width * n) + "x" +
            std::to_string(height * n) + ", more than the " + std::to_string(kMaxHeadlessSide) +
            " pixels a side the renderer takes; ask for a smaller --size or factor";
    return false;
  }
  factor = static_cast<int>(n);
  return true;
}

std::vector<uint8_t> ResolveSupersampled(std::vector<uint8_t> drawn, int width, int height, int factor) {
  if (factor == 1 || drawn.empty()) return drawn;
  std::vector<uint8_t> out(static_cast<size_t>(width) * height * 3);
  switch (factor) {
    case 2: Resolve<2>(drawn.data(), out.data(), width, height); break;
    case 3: Resolve<3>(drawn.data(), out.data(), width, height); break;
    case 4: Resolve<4>(drawn.data(), out.data(), width, height); break;
    default: return {};
  }
  return out;
}
