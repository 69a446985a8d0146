#include "tools/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

#include "platform/output_file.h"

namespace {

// libpng reports through these instead of printing: one failed frame gives one message.
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

bool EncodeFast(std::FILE* file, int width, int height, int channels, std::span<const uint8_t> pixels) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; ++y) png_write_row(png, const_cast<png_bytep>(pixels.data() + y * stride));
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  return ok;
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
