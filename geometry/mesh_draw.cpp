// geometry/mesh_draw.cpp: immediate-mode drawing of a Mesh. Changes no enable state, blend
// function or front face: the calling scene owns those.
#include "geometry/mesh.h"
#include "platform/gl.h"

namespace {
template <typename Face, int Corners>
void SendFaces(const Mesh& mesh, const Face* faces) {
  if (!faces) return;
  for (int32_t f = 0; f < mesh.faceCount; ++f) {
    const Face& face = faces[f];
    for (int c = 0; c < Corners; ++c) {
      const MeshVertex& v = *face.corners[c];
      if (mesh.textured) glTexCoord2f(face.uv[c][0], face.uv[c][1]);
      glColor4f(v.colour[0], v.colour[1], v.colour[2], v.colour[3]);
      glNormal3f(v.normal.x, v.normal.y, v.normal.z);
      glVertex3f(v.position.x, v.position.y, v.position.z);
    }
  }
}
}  // namespace

void DrawMesh(const Mesh& mesh) {
  glPushMatrix();
  glTranslatef(mesh.position.x, mesh.position.y, mesh.position.z);
  glRotatef(mesh.rotation.x, 1, 0, 0);
  glRotatef(mesh.rotation.y, 0, 1, 0);
  glRotatef(mesh.rotation.z, 0, 0, 1);
  glScalef(mesh.scale.x, mesh.scale.y, mesh.scale.z);
  if (mesh.textured) glBindTexture(GL_TEXTURE_2D, mesh.texture);
  if (mesh.kind == kMeshTriangles) {
    glBegin(GL_TRIANGLES);
    SendFaces<MeshTriangle, 3>(mesh, mesh.triangles.get());
  } else {
    glBegin(GL_QUADS);
    SendFaces<MeshQuad, 4>(mesh, mesh.quads.get());
  }
  glEnd();
  glPopMatrix();
}
