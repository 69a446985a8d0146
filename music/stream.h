// music/stream.h: read access to the embedded data resources (105 the module, 125 the patch
// table) as memory streams, and the table of stream procedures the module loader calls through,
// so that the loader does not care where its bytes come from.
#pragma once
#include <cstdint>
#include <span>

inline constexpr int32_t kModuleResourceId = 105;
inline constexpr int32_t kPatchResourceId = 125;

// A cursor over resource bytes. The bytes are not owned: they live as long as the program
// (embedded arrays) or as long as the override that provided them.
struct MemoryStream {
  int32_t size = 0;
  int32_t position = 0;  // 0 <= position <= size after every operation
  const uint8_t* data = nullptr;
};

// Resource bytes linked into the executable; empty for an unknown id.
std::span<const uint8_t> EmbeddedResource(int32_t id);
// Makes `id` answer with other bytes (a module file for the tools, a built module in tests);
// an empty span removes the override. The caller keeps the bytes alive while streams use them.
void SetResourceOverride(int32_t id, std::span<const uint8_t> bytes);

// A new stream at position 0. An unknown id gives a stream of size 0 whose reads return 0.
MemoryStream* OpenResourceStream(int32_t id);
MemoryStream* OpenMemoryStream(std::span<const uint8_t> bytes);
void StreamClose(MemoryStream* stream);
// Copies up to `count` bytes; a read that straddles the end returns the remainder only.
int32_t StreamRead(void* destination, int32_t count, MemoryStream* stream);
// origin 0: from the start, 1: from the position, 2: from the end; other origins do nothing.
// The result is clamped to 0..size.
void StreamSeek(MemoryStream* stream, int32_t offset, int32_t origin);
int32_t StreamTell(MemoryStream* stream);

struct StreamProcs {
  MemoryStream* (*open)(int32_t id) = nullptr;
  void (*close)(MemoryStream*) = nullptr;
  int32_t (*read)(void*, int32_t, MemoryStream*) = nullptr;
  void (*seek)(MemoryStream*, int32_t, int32_t) = nullptr;
  int32_t (*tell)(MemoryStream*) = nullptr;
};

// All five set, or (when any is null) the whole table cleared.
void InstallStreamProcs(MemoryStream* (*open)(int32_t), void (*close)(MemoryStream*),
                        int32_t (*read)(void*, int32_t, MemoryStream*),
                        void (*seek)(MemoryStream*, int32_t, int32_t), int32_t (*tell)(MemoryStream*));
// Binds the table to the resource streams above (what the music start and the tools use).
void InstallResourceStreamProcs();
const StreamProcs& InstalledStreamProcs();
bool StreamProcsInstalled();
