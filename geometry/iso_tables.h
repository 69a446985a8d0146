// geometry/iso_tables.h: corner/edge numbering of a polygoniser cell and the lookup tables
// that turn a cell's corner mask into crossed edges and triangles.
#pragma once
#include <array>
#include <cstdint>

// Corner c of cell [i][j][k] is sample [i + dx][j + dy][k + dz].
inline constexpr int kIsoCornerOffsets[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1},
};

// Edge e runs from its first corner to its second; crossing points interpolate in that direction.
inline constexpr int kIsoEdgeCorners[12][2] = {
    {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};

// Bit e set when edge e joins an outside corner to an inside one.
extern const std::array<int32_t, 256> kIsoEdgeTable;
// Up to five triangles per mask as consecutive edge triples, then -1 to the end of the row.
extern const int8_t kIsoTriangleTable[256][16];
