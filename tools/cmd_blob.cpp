// vale-tool blob: the metaball surface the blob scenes would draw at a given phase counter,
// written as a welded Wavefront OBJ (polygoniser winding kept: faces run clockwise seen from
// outside).
#include <cstdio>
#include <string>
#include <string_view>

#include "geometry/iso_surface.h"
#include "geometry/metaball.h"
#include "geometry/weld.h"
#include "platform/output_file.h"
#include "tools/tool.h"

namespace {

int RunBlob(std::span<const std::string> argv);

const ToolCommand kBlobCommand{
    "blob", "OUT.obj [--counter C] [--startup]",
    "writes the metaball surface after MoveCharges(C) (default 0), or with the start-up charges, as OBJ",
    RunBlob};
const ToolRegistration kRegistration(kBlobCommand);

int RunBlob(std::span<const std::string> argv) {
  static constexpr std::string_view kValueOptions[] = {"--counter"};
  static constexpr std::string_view kSwitches[] = {"--startup"};
  const ToolArgs args = ParseToolArgs(argv, kValueOptions, kSwitches);
  if (!args.error.empty()) return ToolFail(args.error, 2);
  if (args.positional.size() != 1) return ToolUsage(kBlobCommand);
  long long counter = 0;
  std::string error;
  if (!IntOption(args, "--counter", INT32_MIN, INT32_MAX, counter, error)) return ToolFail(error, 2);
  if (HasOption(args, "--startup") && HasOption(args, "--counter"))
    return ToolFail("--startup and --counter exclude each other", 2);

  if (HasOption(args, "--startup"))
    MetaballField = kStartupCharges;
  else
    MoveCharges(static_cast<int32_t>(counter));
  if (blobSurface.samples.empty()) return ToolFail("the blob surface has no grid");
  SampleIsoGrid(blobSurface);
  const int32_t count = PolygoniseIsoSurface(blobSurface);
  const WeldedMesh welded = WeldIsoSurface(blobSurface);
  const std::string obj = FormatObj(welded);
  if (!WriteWholeFile(args.positional[0], std::span(reinterpret_cast<const uint8_t*>(obj.data()), obj.size()), error))
    return ToolFail(error);
  // Triangles through a grid sample collapse when welded and are not written.
  std::printf("%d triangles (%zu written, %lld collapsed), %zu vertices\n", count, welded.triangles.size(),
              static_cast<long long>(welded.collapsedTriangles), welded.vertices.size());
  return 0;
}

}  // namespace
