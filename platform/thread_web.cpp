// The web page runs everything on the page's one thread: no thread is ever started (the music is
// mixed where the audio asks for frames, music/output.h), and nothing waits.
#include "platform/thread.h"

PlatformThread* StartThread(void (*)()) { return nullptr; }
void JoinThread(PlatformThread*) {}
// Never reached while a thread runs (there is none); returning at once keeps a page from hanging.
void SleepThreadMilliseconds(unsigned) {}
void YieldThread() {}
