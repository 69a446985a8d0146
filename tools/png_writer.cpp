#include "tools/png_writer.h"

#include <isa-l.h>
#include <png.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/output_file.h"

namespace {

// The capture's speed: every row "Up"-filtered (each byte less the one above it, which leaves
// little but the scene's edges to compress) and the whole image deflated at once by ISA-L at its
// level 1: a third of libdeflate's fastest time on the demo's frames, for files 3 to 13 percent
// larger, which is what lets a capture keep up with the scenes. The buffers stay with the
// thread, since a capture's workers write thousands of frames each.
struct FastEncoder {
  std::vector<uint8_t> filtered, deflated;
  std::vector<uint8_t> levelBuffer = std::vector<uint8_t>(ISAL_DEF_LVL1_DEFAULT);
};

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

bool WriteChunk(std::FILE* file, const char type[4], std::span<const uint8_t> data) {
  std::vector<uint8_t> head;
  PutBigEndian(head, static_cast<uint32_t>(data.size()));
  head.insert(head.end(), type, type + 4);
  uint32_t crc = crc32_gzip_refl(0, reinterpret_cast<const uint8_t*>(type), 4);
  if (!data.empty()) crc = crc32_gzip_refl(crc, data.data(), data.size());
  std::vector<uint8_t> tail;
  PutBigEndian(tail, crc);
  return std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
         (data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size()) &&
         std::fwrite(tail.data(), 1, tail.size(), file) == tail.size();
}

bool EncodeFast(std::FILE* file, int width, int height, int channels, std::span<const uint8_t> pixels) {
  thread_local FastEncoder encoder;
  const size_t stride = static_cast<size_t>(width) * channels;
  std::vector<uint8_t>& filtered = encoder.filtered;
  filtered.resize((stride + 1) * height);
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    uint8_t* out = filtered.data() + y * (stride + 1);
    const uint8_t* row = pixels.data() + y * stride;
    out[0] = 2;  // Up; the first row has nothing above and is its own bytes
    if (y == 0) {
      std::memcpy(out + 1, row, stride);
    } else {
      const uint8_t* above = row - stride;
      for (size_t x = 0; x < stride; ++x) out[1 + x] = static_cast<uint8_t>(row[x] - above[x]);
    }
  }
  // At worst the image is stored: 5 bytes a block of 65535, the zlib header and checksum.
  encoder.deflated.resize(filtered.size() + (filtered.size() / 65535 + 1) * 5 + 64);
  isal_zstream stream;
  isal_deflate_stateless_init(&stream);
  stream.level = 1;
  stream.level_buf = encoder.levelBuffer.data();
  stream.level_buf_size = static_cast<uint32_t>(encoder.levelBuffer.size());
  stream.gzip_flag = IGZIP_ZLIB;
  stream.end_of_stream = 1;
  stream.next_in = filtered.data();
  stream.avail_in = static_cast<uint32_t>(filtered.size());
  stream.next_out = encoder.deflated.data();
  stream.avail_out = static_cast<uint32_t>(encoder.deflated.size());
  if (isal_deflate_stateless(&stream) != COMP_OK) return false;
  const size_t size = stream.total_out;
  if (size > 0x7fffffff) return false;  // one chunk holds at most 2^31 - 1 bytes
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  // 8 bits a channel, RGB (2) or RGBA (6), deflate, adaptive filtering, not interlaced.
  header.insert(header.end(), {8, static_cast<uint8_t>(channels == 3 ? 2 : 6), 0, 0, 0});
  return std::fwrite(kSignature, 1, sizeof kSignature, file) == sizeof kSignature &&
         WriteChunk(file, "IHDR", header) && WriteChunk(file, "IDAT", {encoder.deflated.data(), size}) &&
         WriteChunk(file, "IEND", {});
}

bool EncodeSmall(std::FILE* file, int width, int height, int channels, std::span<const uint8_t> pixels,
                 std::string& message) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  const bool ok = png_image_write_to_stdio(&image, file, 0, pixels.data(), width * channels, nullptr) != 0;
  if (!ok) message = image.message;
  png_image_free(&image);
  return ok;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, int channels, std::span<const uint8_t> pixels,
              std::string& error, PngOptions options) {
  if (channels != 3 && channels != 4) return error = "PNG writer takes 3 or 4 channels", false;
  if (width < 1 || height < 1 || pixels.size() < static_cast<size_t>(width) * height * channels)
    return error = "PNG writer given too few pixels", false;
  OutputFile out;
  if (!out.Open(path, error)) return false;
  std::string message;
  errno = 0;
  const bool encoded = options.speed == PngSpeed::Fast ? EncodeFast(out.Stream(), width, height, channels, pixels)
                                                       : EncodeSmall(out.Stream(), width, height, channels, pixels, message);
  if (encoded) return out.Commit(error, options.keepListed);
  // A write the system refused shows as the stream's error, with the system's reason.
  const int err = errno;
  const bool systemFailed = std::ferror(out.Stream()) != 0;
  out.Discard();
  error = systemFailed ? FileError("cannot write", path, err != 0 ? err : EIO)
                       : "cannot write " + path + ": " + (message.empty() ? "PNG encoding failed" : message);
  return false;
}
