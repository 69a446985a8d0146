// The cube-field scene: the camera swings inside the cube lattice while the field of view
// breathes. In mode 3 panels that change on fixed music rows mark the stencil, the lattice
// is drawn white inside them and textured outside.
#include "scenes/cube_field.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/gl.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/lattice_view.h"
#include "scenes/scenes.h"
#include "texgen/upload.h"

int32_t panelPattern = 1;

namespace {

struct Panel {
  float x0, x1, y0, y1;
};
struct PanelDef {
  Panel area;
  int32_t litBy[2];
};
constexpr std::array<PanelDef, 8> kPanels = {{
    {{-7, 7, -7, -1}, {1, 2}},   // bottom band
    {{-7, 7, 1, 7}, {1, 3}},     // top band
    {{-7, -1, -7, 7}, {4, 5}},   // left band
    {{1, 7, -7, 7}, {4, 6}},     // right band
    {{1, 7, -7, -1}, {7, 11}},   // bottom-right square
    {{1, 7, 1, 7}, {8, 12}},     // top-right square
    {{-7, -1, -7, -1}, {9, 12}}, // bottom-left square
    {{-7, -1, 1, 7}, {10, 11}},  // top-left square
}};

constexpr int kChangeRows[8] = {8, 14, 30, 36, 44, 48, 52, 60};
constexpr int32_t kPatternAt[4][8] = {
    {1, 7, 12, 2, 3, 8, 6, 9},    // order 4
    {5, 8, 1, 12, 11, 12, 5, 9},  // order 5
    {10, 7, 1, 6, 5, 2, 11, 4},   // order 6
    {12, 8, 4, 1, 3, 7, 6, 10},   // order 7
};

constexpr double kPanelDistance = 20;  // the panel view's translation
constexpr double kPanelFieldOfView = 45;
constexpr float kPanelEdges[4] = {-7, -1, 1, 7};
// A point inside each of the five ranges the panel edges cut an axis into.
constexpr float kRangeInside[5] = {-10, -4, 0, 4, 10};

bool Lit(int32_t pattern, float x, float y) {
  for (const PanelDef& def : kPanels)
    if ((def.litBy[0] == pattern || def.litBy[1] == pattern) && def.area.x0 < x && x < def.area.x1 &&
        def.area.y0 < y && y < def.area.y1)
      return true;
  return false;
}

// One axis of the window cut where the set of ranges (bit r: range r of kRangeInside) a pixel
// centre may fall in changes. Pixels near an edge may be in either neighbouring range.
struct AxisSpan {
  int from, to;
  unsigned ranges;
};
std::vector<AxisSpan> AxisSpans(float origin, float size) {
  const double scale = 1 / std::tan(kPanelFieldOfView / 2 * 3.14159265358979323846 / 180) / kPanelDistance;
  double edge[4];
  for (int e = 0; e < 4; ++e) edge[e] = origin + (kPanelEdges[e] * scale + 1) * size / 2;
  std::vector<AxisSpan> spans;
  const int first = static_cast<int>(origin), last = static_cast<int>(origin + size);
  for (int i = first; i < last; ++i) {
    const double centre = i + 0.5, slack = 1.5;
    unsigned ranges = 0;
    for (int r = 0; r < 5; ++r) {
      const bool afterStart = r == 0 || centre >= edge[r - 1] - slack;
      const bool beforeEnd = r == 4 || centre <= edge[r] + slack;
      if (afterStart && beforeEnd) ranges |= 1u << r;
    }
    if (!spans.empty() && spans.back().ranges == ranges)
      spans.back().to = i + 1;
    else
      spans.push_back({i, i + 1, ranges});
  }
  return spans;
}

// Adds the runs of one band of rows to `rects`, growing the rectangles of the band below when
// its runs are the same.
void AddBand(std::vector<PixelRect>& rects, size_t& bandStart, const std::vector<PixelRect>& runs) {
  const size_t previous = rects.size() - bandStart;
  bool same = previous == runs.size() && previous > 0;
  for (size_t i = 0; same && i < runs.size(); ++i)
    same = rects[bandStart + i].x0 == runs[i].x0 && rects[bandStart + i].x1 == runs[i].x1 &&
           rects[bandStart + i].y1 == runs[i].y0;
  if (same) {
    for (size_t i = 0; i < runs.size(); ++i) rects[bandStart + i].y1 = runs[i].y1;
    return;
  }
  bandStart = rects.size();
  rects.insert(rects.end(), runs.begin(), runs.end());
}

// Draws the lattice into the given rectangles only, each scissored to its own and sent only the
// cubes that can reach it, nearest first. Each pixel of the rectangles gets the fragments the
// whole lattice would give it; pixels outside them get none, which the callers know the stencil
// test would have rejected anyway. The scissor is put back as it was.
void DrawLatticeWithin(const LatticeView& view, const std::vector<bool>& hidden, const std::vector<PixelRect>& rects) {
  static std::vector<int16_t> cubes;
  if (rects.size() == 1 && rects[0] == PixelRectOf(view.viewport)) {
    LatticeCubesReaching(view, rects[0], hidden, cubes);
    DrawLatticeCubes(cubes);
    return;
  }
  float wasOn = 0;
  std::array<float, 4> box = view.viewport;
  glGetFloatv(GL_SCISSOR_TEST, &wasOn);
  glGetFloatv(GL_SCISSOR_BOX, box.data());
  const PixelRect before = PixelRectOf(box);
  glEnable(GL_SCISSOR_TEST);
  for (PixelRect r : rects) {
    if (wasOn != 0) {
      r = {std::max(r.x0, before.x0), std::max(r.y0, before.y0), std::min(r.x1, before.x1), std::min(r.y1, before.y1)};
      if (r.Empty()) continue;
    }
    glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    LatticeCubesReaching(view, r, hidden, cubes);
    DrawLatticeCubes(cubes);
  }
  glScissor(before.x0, before.y0, before.x1 - before.x0, before.y1 - before.y0);
  if (wasOn == 0) glDisable(GL_SCISSOR_TEST);
}

}  // namespace

PanelRegions PanelRegionsFor(int32_t pattern, const std::array<float, 4>& viewport) {
  PanelRegions regions;
  const std::vector<AxisSpan> columns = AxisSpans(viewport[0], viewport[2]);
  const std::vector<AxisSpan> rows = AxisSpans(viewport[1], viewport[3]);
  size_t markedBand = 0, unmarkedBand = 0;
  for (const AxisSpan& row : rows) {
    std::vector<PixelRect> marked, unmarked;
    for (const AxisSpan& column : columns) {
      bool lit = false, unlit = false;
      for (int rx = 0; rx < 5; ++rx)
        for (int ry = 0; ry < 5; ++ry)
          if ((column.ranges >> rx & 1) && (row.ranges >> ry & 1))
            (Lit(pattern, kRangeInside[rx], kRangeInside[ry]) ? lit : unlit) = true;
      for (auto [wanted, runs] : {std::pair{lit, &marked}, std::pair{unlit, &unmarked}}) {
        if (!wanted) continue;
        if (!runs->empty() && runs->back().x1 == column.from)
          runs->back().x1 = column.to;
        else
          runs->push_back({column.from, row.from, column.to, row.to});
      }
    }
    AddBand(regions.marked, markedBand, marked);
    AddBand(regions.unmarked, unmarkedBand, unmarked);
  }
  return regions;
}

int32_t UpdatePanelPattern(float syncTime, int32_t current) {
  for (int order = 0; order < 4; ++order)
    for (int k = 0; k < 8; ++k) {
      const float threshold = ComputeSyncTime(4 + order, kChangeRows[k]);
      if (syncTime >= threshold) current = kPatternAt[order][k];
    }
  return current;
}

void ResetCubeFieldScene() {
  ResetCubeLattice();
  panelPattern = 1;
}

void DrawCubeFieldScene() {
  const FrameClock& fc = frameClock;
  const double t = fc.elapsedSeconds;
  const int32_t mode = fc.cubeFieldMode;

  glEnable(GL_FOG);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);

  // The panels are laid out in a view of their own.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnable(GL_STENCIL_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  SetupCubeLattice();
  glShadeModel(GL_SMOOTH);

  camera.eye[0] = static_cast<float>(std::cos(1.2 * t) * 22 * 0.06);
  camera.eye[1] = static_cast<float>(std::cos(2.06 * t + 1) * 20 * 0.06);
  camera.eye[2] = static_cast<float>(std::sin(3.2 * t) * 22 * 0.06);
  fieldOfView = static_cast<float>(std::sin(2 * t) * 70 + 90);

  glTranslatef(0, 0, -20);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  glDisable(GL_BLEND);

  panelPattern = UpdatePanelPattern(fc.syncTime, panelPattern);
  if (mode == 3) {
    // Of the panels only the stencil marks are kept, and which pixels those cover does not
    // depend on texturing or fog: the panels go untextured and unfogged, the cheapest fragments.
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glBegin(GL_QUADS);
    for (const PanelDef& def : kPanels) {
      if (def.litBy[0] != panelPattern && def.litBy[1] != panelPattern) continue;
      const Panel& p = def.area;
      glVertex3f(p.x0, p.y0, 0);
      glVertex3f(p.x1, p.y0, 0);
      glVertex3f(p.x1, p.y1, 0);
      glVertex3f(p.x0, p.y1, 0);
    }
    glEnd();
    glEnable(GL_FOG);
  }
  // Only the stencil marks of the panels are wanted.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glStencilFunc(GL_EQUAL, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColor3f(1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, textureNames[3]);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  ApplyProjection();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  const LatticeView view = CurrentLatticeView();
  const std::vector<bool> hidden = LatticeCubesHidden(view);
  // Inside the panels: white, fogged to black. Only mode 3 marks panels; in mode 2 this pass
  // would pass the stencil nowhere and change nothing, so its 8000 quads are not sent.
  PanelRegions regions;
  if (mode == 3) {
    regions = PanelRegionsFor(panelPattern, view.viewport);
    DrawLatticeWithin(view, hidden, regions.marked);
  } else {
    regions.unmarked.push_back(PixelRectOf(view.viewport));
  }

  glStencilFunc(GL_NOTEQUAL, 1, 1);
  // Without panels the stencil holds 0 everywhere and this test passes every fragment: it is
  // switched off rather than paid for at every pixel of the lattice.
  if (mode != 3) glDisable(GL_STENCIL_TEST);
  if (mode == 1) {
    glDisable(GL_TEXTURE_2D);
  } else if (mode == 2) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureNames[1]);
  } else if (mode == 3) {
    // Texture 3 stays bound; the default eye-linear generation spreads it over the lattice.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  }
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  DrawLatticeWithin(view, hidden, regions.unmarked);

  // State the scenes after this one rely on. The stencil test is left off: every frame starts
  // with a cleared stencil and no other scene writes it, so "not equal to 1" would pass every
  // fragment of every later scene and only cost each one a stencil read.
  glDisable(GL_STENCIL_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glFrontFace(GL_CCW);
  glDisable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, textureNames[8]);
}
