// scenes/camera.h: the shared camera and projection of every 3D scene, and the cube
// lattice of the cube-field scene.
#pragma once
#include <cstdint>
#include <vector>

#include "scenes/lattice_view.h"

struct Camera {
  float eye[3] = {0.0f, 0.0f, 50.0f};
  float target[3] = {0.0f, 0.0f, 0.0f};
};

extern Camera camera;
extern float fieldOfView;  // vertical, in degrees

// Eye (0, 0, 50), target (0, 0, 0), field of view 100: what every scene's set-up starts from.
void ResetCamera();
// The GL state every scene's one-time set-up starts from: black clear and fog colours, fog and
// lighting as asked, depth test and 2D texturing on, texture-coordinate generation off, blending on.
void SetSceneBaseState(bool fog, bool lighting);
// The state a frame of the sky scenes draws from: textured and unlit, texture-coordinate generation
// and blending off, the blend function left at alpha for what the frame blends later.
void SetOpaqueTextureState();
// Projection with the fixed 4/3 aspect whatever the window's shape, then the camera view.
void ApplyProjection();
// One textured cube with normals, corner at the origin, spanning 0..edge on each axis.
void DrawCube(float edge);
// Compiles the lattice's one cube and sets the cube field's fog and GL state; first call only.
void SetupCubeLattice();
// Draws the given cubes of the 11 x 11 x 11 lattice (numbered as in scenes/lattice_view.h) in the
// given order.
void DrawLatticeCubes(const std::vector<int16_t>& cubes);
// Forgets the lattice's list (for a new GL context, as tests and tools make).
void ResetCubeLattice();
// Deletes the lattice's list on the current context (the one it was compiled on), then as
// ResetCubeLattice.
void ReleaseCubeLattice();

// The current GL matrices and viewport, and the camera's eye, as the lattice tests take them.
LatticeView CurrentLatticeView();
