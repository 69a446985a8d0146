// vale-tool sphere: a sphere (or its lower half) of the mesh builder as a welded Wavefront OBJ,
// faces counter-clockwise seen from outside as the builder makes them.
#include <cstdio>
#include <string>
#include <string_view>

#include "geometry/mesh.h"
#include "geometry/weld.h"
#include "platform/output_file.h"
#include "tools/tool.h"

namespace {

int RunSphere(std::span<const std::string> argv);

const ToolCommand kSphereCommand{"sphere", "OUT.obj [--radius R] [--segments S] [--rings N] [--lower-half]",
                                 "writes a builder sphere (default radius 100, 40 segments, 10 rings) as OBJ",
                                 RunSphere};
const ToolRegistration kRegistration(kSphereCommand);

int RunSphere(std::span<const std::string> argv) {
  static constexpr std::string_view kValueOptions[] = {"--radius", "--segments", "--rings"};
  static constexpr std::string_view kSwitches[] = {"--lower-half"};
  const ToolArgs args = ParseToolArgs(argv, kValueOptions, kSwitches);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1) return ToolUsage(kSphereCommand);
  double radius = 100;
  long long segments = 40, rings = 10;
  std::string error;
  if (!FloatOption(args, "--radius", radius, error) || !IntOption(args, "--segments", 1, 100000, segments, error) ||
      !IntOption(args, "--rings", 0, 100000, rings, error))
    return ToolFail(error, 2);
  if (!(radius > 0 && radius < 1e30)) return ToolFail("--radius wants a positive number", 2);

  Mesh mesh;
  InitMesh(mesh, kMeshTriangles, 0, 0);
  if (!BuildSphereMesh(mesh, static_cast<float>(radius), static_cast<int32_t>(segments), static_cast<int32_t>(rings),
                       HasOption(args, "--lower-half")))
    return ToolFail("cannot build a sphere of that size");
  const WeldedMesh welded = WeldMesh(mesh);
  const std::string obj = FormatObj(welded);
  if (!WriteWholeFile(args.positional[0], std::span(reinterpret_cast<const uint8_t*>(obj.data()), obj.size()), error))
    return ToolFail(error);
  std::printf("%d triangles, %zu vertices\n", mesh.faceCount, welded.vertices.size());
  return 0;
}

}  // namespace
