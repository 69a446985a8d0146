#include "shell/seek.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "music/mixer.h"
#include "music/output.h"
#include "music/render.h"
#include "platform/random.h"
#include "scenes/scene_table.h"
#include "shell/present.h"
#include "shell/offline_run.h"
#include "shell/shell_state.h"

namespace {

// The frames nobody looks at are drawn this small, as the tools' replay draws them.
constexpr int kCatchUpWidth = 16, kCatchUpHeight = 12;
// A restart point every second of music: a restart fills at most a second of blocks.
constexpr int64_t kBlocksPerMark = 50;
struct RunStart {
  bool noted = false;
  uint32_t random = 1;
  // The scenes draw on texture unit 0 alone.
  std::array<GLfloat, 16> modelview{}, projection{}, texture{};
};
RunStart start;

struct SongMap {
  bool built = false;
  std::vector<std::shared_ptr<const PlaybackSnapshot>> marks;  // mark i: the state at the start of block i x kBlocksPerMark
};
SongMap songMap;

// The three matrices, read or written; the matrix mode is an attribute and comes back with them.
void MatricesOf(bool write) {
  auto matrix = [write](GLenum mode, GLenum query, std::array<GLfloat, 16>& m) {
    if (write) {
      glMatrixMode(mode);
      glLoadMatrixf(m.data());
    } else {
      glGetFloatv(query, m.data());
    }
  };
  matrix(GL_MODELVIEW, GL_MODELVIEW_MATRIX, start.modelview);
  matrix(GL_PROJECTION, GL_PROJECTION_MATRIX, start.projection);
  matrix(GL_TEXTURE, GL_TEXTURE_MATRIX, start.texture);
}

}  // namespace

void NoteRunStart() {
  start.noted = true;
  start.random = RandomState();
  glPushAttrib(GL_ALL_ATTRIB_BITS);  // kept on the stack for the whole run, one level deep
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  MatricesOf(false);
}

bool PrepareSongMap() {
  if (songMap.built) return true;
  ModulePlayer* player = shellState.player;
  if (!player || CurrentPlayer()) return false;
  songMap.built = true;
  SongTimeline song;
  song.mixRate = mixSettings.mixRate;
  song.blockFrames = mixSettings.blockFrames;
  // As RenderSongTimeline bounds it: an hour of music at most.
  const uint64_t maxBlocks = 3600ull * static_cast<uint64_t>(song.mixRate) / static_cast<uint64_t>(song.blockFrames);
  // Mark 0 is the song's start, which the rendering below begins from.
  ResetPlaybackToStart(player);
  songMap.marks.push_back(TakePlaybackSnapshot(player));
  RenderSongBlocksUnheard(player, kEndPosition.order, [&](const HeardBlock& block) {
    song.blocks.push_back(block.position);
    if (static_cast<int64_t>(song.blocks.size()) % kBlocksPerMark == 0)
      songMap.marks.push_back(TakePlaybackSnapshot(player));
    return block.position < kEndPosition && song.blocks.size() < maxBlocks;
  });
  AttachReplay(std::move(song), kSeekFps);
  return true;
}

int64_t LastSeekFrame() { return std::max<int64_t>(ReplayEndFrame() - 1, 0); }

int64_t SeekFrameFor(SongPosition position) {
  const int64_t frame = FirstFrameAt(ReplaySong(), position, kSeekFps);
  return frame < 0 ? LastSeekFrame() : std::min(frame, LastSeekFrame());
}

int64_t BlockAtFrame(int64_t frame) {
  const SongTimeline& song = ReplaySong();
  return static_cast<int64_t>(SampleAtFrame(frame, kSeekFps, song.mixRate) / static_cast<uint64_t>(song.blockFrames));
}

void CatchUpTo(int64_t frame) {
  if (start.noted) {
    SeedRandom(start.random);
    MatricesOf(true);
    glPopClientAttrib();
    glPopAttrib();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  }
  RestartScenes();
  RewindReplay();
  const int32_t width = shellState.currentWidth, height = shellState.currentHeight;
  shellState.currentWidth = kCatchUpWidth;
  shellState.currentHeight = kCatchUpHeight;
  glViewport(0, 0, kCatchUpWidth, kCatchUpHeight);
  // A clear covers the whole framebuffer whatever the viewport; the scissor keeps it small.
  glPushAttrib(GL_SCISSOR_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, kCatchUpWidth, kCatchUpHeight);
  HoldPresents(true);
  ReplayUntil(frame);
  HoldPresents(false);
  glPopAttrib();
  shellState.currentWidth = width;
  shellState.currentHeight = height;
  glViewport(0, 0, width, height);
}

void SetMusicToBlock(int64_t block) {
  ModulePlayer* player = shellState.player;
  if (!player || songMap.marks.empty()) return;
  const size_t mark = std::min(static_cast<size_t>(std::max<int64_t>(block, 0) / kBlocksPerMark), songMap.marks.size() - 1);
  RestorePlayback(player, *songMap.marks[mark]);
  const int64_t rest = block - static_cast<int64_t>(mark) * kBlocksPerMark;
  if (rest > 0) FillBlocksUnheard(player, static_cast<uint64_t>(rest), [](std::span<const int16_t>, SongPosition) { return true; });
}
