// The schedule as a table of spans, highest threshold first.
#include "shell/schedule.h"

#include <array>

namespace {

struct Span {
  double above;  // the step holds while syncTime > above (and below the next span up)
  ScheduleStep step;
};

// The first threshold passed decides. Rows 8 and 48 already pass .008 and .048 on the rounded
// float, rows 16 and 40 do not pass .016 and .04.
constexpr std::array<Span, 19> kSchedule = {{
    {28.0, {SceneId::WaveFloor, 0}},
    {24.0, {SceneId::BlobTunnel, 0}},
    {20.0, {SceneId::CubeField, 2}},
    {17.0, {SceneId::BlobOrbit, 0}},
    {16.0, {SceneId::RingTube, 0}},
    {14.04, {SceneId::Opening, 0}},
    {14.016, {SceneId::WaveFloor, 0}},
    {14.008, {SceneId::WobblingMesh, 3}},
    {13.048, {SceneId::WaveFloor, 0}},
    {13.04, {SceneId::WobblingMesh, 2}},
    {13.016, {SceneId::WaveFloor, 0}},
    {13.008, {SceneId::WobblingMesh, 1}},
    {12.048, {SceneId::WaveFloor, 0}},
    {12.04, {SceneId::Lightning, 0}},
    {12.016, {SceneId::WaveFloor, 0}},
    {12.008, {SceneId::RingTube, 0}},
    {12.0, {SceneId::WaveFloor, 0}},
    {8.0, {SceneId::CubeField, 1}},
    {4.0, {SceneId::CubeField, 3}},
}};

}  // namespace

ScheduleStep PickScene(float syncTime) {
  for (const Span& s : kSchedule)
    if (static_cast<double>(syncTime) > s.above) return s.step;
  return {SceneId::Opening, 0};
}

std::vector<ScheduleSpan> ScheduleSpans() {
  std::vector<ScheduleSpan> spans;
  for (SongPosition p{0, 0}; p < kEndPosition;
       p = p.row == 63 ? SongPosition{p.order + 1, 0} : SongPosition{p.order, p.row + 1}) {
    const ScheduleStep step = PickScene(ComputeSyncTime(p.order, p.row));
    if (spans.empty() || step != spans.back().step)
      spans.push_back({p, p, step});
    else
      spans.back().last = p;
  }
  return spans;
}
