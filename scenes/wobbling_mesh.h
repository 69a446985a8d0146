// scenes/wobbling_mesh.h: the wobbling mesh (a textured sphere pushed about by sines under a
// white wire cage, inside a textured backdrop sphere) exposed for tests and tools.
#pragma once

struct Mesh;

// The wobble mesh as the last frame left it (empty before the first frame).
const Mesh& WobbleMesh();
// Forgets the set-up, so the next frame builds both spheres again (for a new GL context).
void ResetWobblingMeshScene();
