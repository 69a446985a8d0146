// platform/thread.h: the worker threads the music needs (the mixing thread, and the soundtrack's
// loading during the start-up), and the waits around them. Kept apart from the windowing layer
// so that the music links it alone.
#pragma once

struct PlatformThread;  // opaque

// Starts `entry` on a new thread at once. Null when the system refuses a thread.
PlatformThread* StartThread(void (*entry)());
// Waits for the thread to return, then releases it. Null does nothing.
void JoinThread(PlatformThread* thread);

void SleepThreadMilliseconds(unsigned milliseconds);
// Gives the rest of the time slice to another thread.
void YieldThread();
