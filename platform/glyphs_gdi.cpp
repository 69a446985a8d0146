// GDI backend of platform/glyphs.h: the system's own font rasteriser, antialiased, drawing with
// DrawTextW into a DIB section. The stock system font stands in where a face cannot be made.
#include <windows.h>

#include <algorithm>
#include <span>
#include <vector>

#include "platform/glyphs.h"

struct GlyphFont {
  HDC dc = nullptr;
  HFONT font = nullptr;  // owned unless builtIn
  bool builtIn = false;
  int ascent = 0, lineHeight = 0;
};

namespace {

std::wstring ToUtf16(std::u32string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x10000) {
      out.push_back(static_cast<wchar_t>(c));
    } else if (c <= 0x10FFFF) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    }
  }
  return out;
}

GlyphFont* Finish(GlyphFont* f, HFONT font, bool builtIn) {
  f->font = font;
  f->builtIn = builtIn;
  SelectObject(f->dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(f->dc, &metrics);
  f->ascent = metrics.tmAscent;
  f->lineHeight = metrics.tmHeight;
  return f;
}

}  // namespace

GlyphFont* OpenGlyphFont(const char* family, bool bold, int pixelHeight, std::string* source) {
  HFONT font = CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, family);
  if (!font) {
    if (source) *source = "built-in";
    return OpenBuiltInGlyphFont(pixelHeight);
  }
  auto* f = new GlyphFont;
  f->dc = CreateCompatibleDC(nullptr);
  Finish(f, font, false);
  if (source) {
    char face[LF_FACESIZE] = {};
    GetTextFaceA(f->dc, sizeof face, face);
    *source = face;
  }
  return f;
}

GlyphFont* OpenBuiltInGlyphFont(int) {
  auto* f = new GlyphFont;
  f->dc = CreateCompatibleDC(nullptr);
  return Finish(f, static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), true);
}

void CloseGlyphFont(GlyphFont* font) {
  if (!font) return;
  DeleteDC(font->dc);
  if (!font->builtIn) DeleteObject(font->font);
  delete font;
}

bool IsBuiltInGlyphFont(const GlyphFont* font) { return font && font->builtIn; }

int GlyphAscent(const GlyphFont* font) { return font ? font->ascent : 0; }
int GlyphLineHeight(const GlyphFont* font) { return font ? font->lineHeight : 0; }

int MeasureGlyphText(const GlyphFont* font, std::u32string_view text) {
  if (!font || text.empty()) return 0;
  std::wstring wide = ToUtf16(text);
  SIZE size{};
  GetTextExtentPoint32W(font->dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

void DrawGlyphText(GlyphFont* font, std::u32string_view text, int left, int top, uint8_t* image, int width,
                   int height, int stride) {
  if (!font || text.empty() || width <= 0 || height <= 0) return;
  // White on black into a top-down 32-bit DIB the size of the image; green is the coverage.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(font->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return;
  HGDIOBJ previous = SelectObject(font->dc, bitmap);
  std::fill_n(static_cast<uint32_t*>(bits), static_cast<size_t>(width) * height, 0u);
  SetBkColor(font->dc, RGB(0, 0, 0));
  SetTextColor(font->dc, RGB(255, 255, 255));
  std::wstring wide = ToUtf16(text);
  RECT r{left, top, width, height};
  DrawTextW(font->dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto coverage = static_cast<uint8_t>((pixels[static_cast<size_t>(y) * width + x] >> 8) & 0xFF);
      uint8_t& out = image[static_cast<size_t>(y) * stride + x];
      out = std::max(out, coverage);
    }
  SelectObject(font->dc, previous);
  DeleteObject(bitmap);
}

bool RasterizeGlyphAtlas(const char* family, bool bold, int cellSize, std::span<uint8_t> image,
                         std::string* source) {
  const int side = cellSize * 16;
  if (cellSize <= 0 || image.size() < static_cast<size_t>(side) * side) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = side;
  info.bmiHeader.biHeight = -side;  // top-down, as the image is
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  // A positive height asks for the cell height: the font's whole line fits the cell.
  HFONT font = CreateFontA(cellSize, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, family);
  if (!bitmap || !bits || !font) {
    if (font) DeleteObject(font);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(dc);
    return false;
  }
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, font);
  std::fill_n(static_cast<uint32_t*>(bits), static_cast<size_t>(side) * side, 0u);
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(255, 255, 255));
  for (int code = 0; code < 256; ++code) {
    if (code < 0x20 || (code >= 0x7F && code < 0xA0)) continue;  // control codes stay empty
    const wchar_t c = static_cast<wchar_t>(code);
    RECT r{code % 16 * cellSize, code / 16 * cellSize, code % 16 * cellSize + cellSize, code / 16 * cellSize + cellSize};
    DrawTextW(dc, &c, 1, &r, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(side) * side; ++i) image[i] = static_cast<uint8_t>((pixels[i] >> 8) & 0xFF);
  if (source) {
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    *source = face;
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(font);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return true;
}
