#include "music/stream.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

struct ResourceOverride {
  int32_t id = 0;
  std::span<const uint8_t> bytes;
};
std::array<ResourceOverride, 4> overrides{};
StreamProcs streamProcs;

}  // namespace

void SetResourceOverride(int32_t id, std::span<const uint8_t> bytes) {
  for (ResourceOverride& o : overrides) {
    if (o.id == id && !o.bytes.empty()) o = {};
  }
  if (bytes.empty()) return;
  for (ResourceOverride& o : overrides) {
    if (o.bytes.empty()) {
      o = {id, bytes};
      return;
    }
  }
}

MemoryStream* OpenMemoryStream(std::span<const uint8_t> bytes) {
  auto* s = new MemoryStream;
  // Streams address bytes with signed 32-bit offsets; anything longer is cut to what they reach.
  s->size = static_cast<int32_t>(std::min<size_t>(bytes.size(), 0x7FFFFFFF));
  s->position = 0;
  s->data = bytes.empty() ? nullptr : bytes.data();
  return s;
}

MemoryStream* OpenResourceStream(int32_t id) {
  for (const ResourceOverride& o : overrides) {
    if (o.id == id && !o.bytes.empty()) return OpenMemoryStream(o.bytes);
  }
  return OpenMemoryStream(EmbeddedResource(id));
}

void StreamClose(MemoryStream* stream) { delete stream; }

int32_t StreamRead(void* destination, int32_t count, MemoryStream* stream) {
  if (!stream || count <= 0) return 0;
  if (static_cast<int64_t>(stream->position) + count >= stream->size) count = stream->size - stream->position;
  if (count <= 0) return 0;
  std::memcpy(destination, stream->data + stream->position, static_cast<size_t>(count));
  stream->position += count;
  return count;
}

void StreamSeek(MemoryStream* stream, int32_t offset, int32_t origin) {
  if (!stream) return;
  int64_t p = stream->position;
  if (origin == 0)
    p = offset;
  else if (origin == 1)
    p = static_cast<int64_t>(stream->position) + offset;
  else if (origin == 2)
    p = static_cast<int64_t>(stream->size) + offset;
  // Past the end stops at the end; before the start (never asked for by valid data) stops at 0.
  stream->position = static_cast<int32_t>(std::clamp<int64_t>(p, 0, stream->size));
}

int32_t StreamTell(MemoryStream* stream) { return stream ? stream->position : 0; }

void InstallStreamProcs(MemoryStream* (*open)(int32_t), void (*close)(MemoryStream*),
                        int32_t (*read)(void*, int32_t, MemoryStream*),
                        void (*seek)(MemoryStream*, int32_t, int32_t), int32_t (*tell)(MemoryStream*)) {
  if (open && close && read && seek && tell)
    streamProcs = {open, close, read, seek, tell};
  else
    streamProcs = {};
}

void InstallResourceStreamProcs() {
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
}

const StreamProcs& InstalledStreamProcs() { return streamProcs; }
bool StreamProcsInstalled() { return streamProcs.open != nullptr; }
