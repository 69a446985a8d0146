#include "scenes/frame_clock.h"

FrameClock frameClock;

float ComputeSyncTime(int32_t order, int32_t row) { return static_cast<float>(row * 0.001 + order); }
