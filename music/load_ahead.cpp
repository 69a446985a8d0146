// The soundtrack loaded on a second thread. The thread is the only one touching the loader and
// the random generator until it is joined, and joining it is what hands its results over.
#include "music/load_ahead.h"

#include "music/module.h"
#include "platform/thread.h"

namespace {

PlatformThread* loader = nullptr;
bool pending = false;
ModulePlayer* loaded = nullptr;  // written by the loading thread, read after the join

void LoadingThread() { loaded = LoadSoundtrack(); }

}  // namespace

void LoadSoundtrackAhead() {
  DropSoundtrackLoadedAhead();
  pending = true;
  loader = StartThread(LoadingThread);
  if (!loader) LoadingThread();
}

bool SoundtrackLoadingAhead() { return pending; }

ModulePlayer* TakeSoundtrackLoadedAhead() {
  if (!pending) return nullptr;
  JoinThread(loader);
  loader = nullptr;
  pending = false;
  ModulePlayer* player = loaded;
  loaded = nullptr;
  return player;
}

void DropSoundtrackLoadedAhead() { FreeModule(TakeSoundtrackLoadedAhead()); }
