// A scene that cannot go on ends the whole program through the shell: the blob scenes on a
// driver whose multitexture entry points look missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "scenes/blob_scenes.h"
#include "scenes/fatal.h"
#include "scenes/scenes.h"
#include "shell/run.h"
#include "shell/shell_state.h"

#ifndef _WIN32
namespace {
void* NoActiveTexture(const char* name) {
  static int entry;
  return std::string(name) == "glActiveTextureARB" ? nullptr : &entry;
}
}  // namespace
#endif

TEST(SceneFailure, MissingMultitextureEndsTheRunWithCodeOne) {
#ifdef _WIN32
  GTEST_SKIP() << "the message box would wait for a click";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // No display: the message goes to stderr only, no box waits for a click.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        SetSceneFatalService(EndRunOnSceneFailure);
        SetBlobProcLookup(NoActiveTexture);
        DrawBlobOrbitScene();
        std::exit(0);  // not reached when the run is ended
      },
      ::testing::ExitedWithCode(1), "Could not load multi-texture extension");
#endif
}
