// platform/headless.h: an OpenGL context without any window or X server (EGL on the surfaceless
// platform), drawing into an off-screen framebuffer with depth 24 and stencil 8 of any size. For
// tests and for frame-exact capture.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct HeadlessContext;  // opaque

// The GL a context speaks. Desktop: OpenGL with the compatibility profile, which the program's
// GL calls reach directly. Es3: OpenGL ES 3, which they reach through the GL layer's ES 3 back end,
// switched on for the context's life (platform/gl_es3.h).
enum class HeadlessGl { Desktop, Es3 };

// The largest framebuffer side the context takes (Mesa's software renderer allows no more).
inline constexpr int kMaxHeadlessSide = 16384;

// Creates the context, makes it current and binds the framebuffer. Null with a message on failure.
HeadlessContext* CreateHeadlessContext(int width, int height, std::string& error, HeadlessGl gl = HeadlessGl::Desktop);
void DestroyHeadlessContext(HeadlessContext* context);
void GetHeadlessSize(const HeadlessContext* context, int& width, int& height);
// Gives the framebuffer a new size (its contents are lost); textures, display lists and the
// rest of the GL state stay, so a replay can run cheaply small and then draw large. The
// viewport is left alone. False with a message when the size is out of range or not backed.
bool ResizeHeadlessContext(HeadlessContext* context, int width, int height, std::string& error);
// Reads the framebuffer as 8-bit RGB, row 0 at the top of the picture.
std::vector<uint8_t> ReadHeadlessPixels(const HeadlessContext* context);
// The same into `rgb`, whose storage is reused when large enough: for reading frame after frame.
void ReadHeadlessPixelsInto(const HeadlessContext* context, std::vector<uint8_t>& rgb);
// The framebuffer as GL holds it, 8-bit RGBA with row 0 at the bottom: a plain copy, for a
// capture that leaves turning the rows over (RgbRowsFromFramebuffer) to another thread.
void ReadHeadlessFramebufferInto(const HeadlessContext* context, std::vector<uint8_t>& rgba);
// Such a read as RGB rows, top first, into `rgb`, whose storage is reused.
void RgbRowsFromFramebuffer(std::span<const uint8_t> rgba, int width, int height, std::vector<uint8_t>& rgb);
// Reads the stencil buffer, row 0 at the top; empty on an ES 3 context, which cannot read it.
std::vector<uint8_t> ReadHeadlessStencil(const HeadlessContext* context);
