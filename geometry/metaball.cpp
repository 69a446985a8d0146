// geometry/metaball.cpp: charge motion and the field value.
#include "geometry/metaball.h"

#include <cfloat>
#include <cmath>

std::array<MetaballCharge, 3> MetaballField = kStartupCharges;

float MetaballFieldValue(float x, float y, float z) {
  double sum = 0.2;
  for (const MetaballCharge& c : MetaballField) {
    const double s2 = double{c.strength} * c.strength;
    if (s2 == 0.0) continue;  // 0/0 on the charge itself would be NaN; elsewhere it adds 0 exactly
    const double dx = double{x} - c.x, dy = double{y} - c.y, dz = double{z} - c.z;
    sum += s2 / (dx * dx + dy * dy + dz * dz);
  }
  return static_cast<float>(sum <= FLT_MAX ? sum : FLT_MAX);
}

void MoveCharges(int32_t counter) {
  const double c = static_cast<float>(counter);
  auto wave = [c](float multiplier) { return std::sin(double{multiplier} * c); };
  auto store = [](double v) { return static_cast<float>(v); };
  MetaballField[0].strength = store(0.27 + 0.01 * wave(0.025f));
  MetaballField[1].strength = store(0.27 + 0.01 * wave(0.02f));
  MetaballField[2].strength = store(0.27 + 0.01 * wave(0.016666668f));
  MetaballField[0].x = store(0.2 * wave(0.007142857f));
  MetaballField[0].y = store(0.2 * wave(0.008333334f));
  MetaballField[0].z = store(0.2 * wave(0.01f));
  MetaballField[1].x = store(0.5 * wave(0.025f));
  MetaballField[1].y = store(0.4 * wave(0.0125f));
  MetaballField[1].z = store(0.3 * wave(0.008333334f));
  MetaballField[2].x = store(0.5 * wave(0.0125f));
  MetaballField[2].y = store(0.2 * wave(0.016666668f));
  MetaballField[2].z = store(0.4 * wave(0.033333335f));
}
