#include "scenes/frame_clock.h"

FrameClock frameClock;
