// geometry/metaball.h: the three point charges of the blob scenes and the scalar field they
// make, 0.2 + sum of strength^2 / distance^2, which the polygoniser cuts at level 1.
#pragma once
#include <array>
#include <cstdint>

struct MetaballCharge {
  float strength, x, y, z;
};

// Start-up values until a scene first moves them: strengths 0.6, 0.25, 0.3, all at the origin.
extern std::array<MetaballCharge, 3> MetaballField;

inline constexpr std::array<MetaballCharge, 3> kStartupCharges = {{{0.6f, 0, 0, 0}, {0.25f, 0, 0, 0}, {0.3f, 0, 0, 0}}};

// At a point exactly on a charge (or so close that the sum exceeds the float range) the
// value is FLT_MAX: far above any level, finite, so crossing points stay finite. A charge of
// strength 0 adds nothing anywhere, its own position included.
float MetaballFieldValue(float x, float y, float z);

// Writes all twelve charge values from a scene's phase counter.
void MoveCharges(int32_t counter);
