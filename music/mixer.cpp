#include "music/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The four-frame loop needs 256-bit integer and double lanes, asked of the processor at run time.
// Not on Windows, where the compiler cannot be trusted to align 256-bit values it spills to the
// stack; the two-frame loop gives the same bits there.
#if defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define VALE_MIX_FOUR_FRAMES 1
#include <immintrin.h>
#else
#define VALE_MIX_FOUR_FRAMES 0
#endif

#include "music/module.h"

std::array<Voice, kVoiceCount> voices{};
MixSettings mixSettings{};

MixSettings ComputeMixSettings(int32_t mixRate) {
  MixSettings s;
  s.mixRate = mixRate;
  s.blockFrames = (mixRate * 20 / 1000 + 3) / 4 * 4;
  s.ringFrames = 2 * (1000 / 20) * s.blockFrames;
  s.blockCount = s.ringFrames / s.blockFrames;
  s.rampLength = mixRate * 128 / 44100;
  return s;
}

void ResetVoices() {
  for (int i = 0; i < kVoiceCount; ++i) {
    voices[i] = Voice{};
    voices[i].index = i;
    voices[i].direction = kForward;
  }
}

namespace {

constexpr double kFracScale = 1.0 / 2147483648.0;  // 2^-31

inline uint64_t Position(const Voice& v) { return (static_cast<uint64_t>(v.positionInt) << 32) | v.positionFrac; }
inline void SetPosition(Voice& v, uint64_t p) {
  v.positionInt = static_cast<uint32_t>(p >> 32);
  v.positionFrac = static_cast<uint32_t>(p);
}

// Frames until the voice reaches the end (forward) or start (backward) of its loop or sample.
// The 8.24 form of the step is what the song's steps use; steps of 256 values per frame and more,
// and distances beyond 2^24 values, use the exact 64-bit division.
uint64_t FramesToBoundary(const Voice& v, bool& bounded) {
  const SampleRecord& s = *v.sample;
  const int64_t pos = static_cast<int64_t>(Position(v));
  const int64_t distance = v.direction == kForward
                               ? (static_cast<int64_t>(static_cast<uint64_t>(s.loopStart + s.loopLength) << 32) - pos)
                               : (pos - static_cast<int64_t>(static_cast<uint64_t>(s.loopStart) << 32));
  bounded = true;
  if (distance <= 0) return 0;
  const uint64_t d = static_cast<uint64_t>(distance);
  const uint64_t step = (static_cast<uint64_t>(v.stepInt) << 32) | v.stepFrac;
  const uint64_t exact = step ? (d + step - 1) / step : d;
  uint64_t frames = exact;
  if (v.stepInt < 256 && (d >> 32) < (1u << 24)) {
    uint32_t s824 = (v.stepInt << 24) | (v.stepFrac >> 8);
    if (s824 == 0) s824 = 1;
    // The truncated 8.24 values may overshoot by a frame; never render past the boundary.
    frames = std::min(((d >> 8) + s824 - 1) / s824, exact);
  }
  // A distance below the 8.24 resolution still needs one frame, or the voice would never move.
  return std::max<uint64_t>(frames, 1);
}

// Constant gains. Every loop below gives the bits of the one-frame loop: the same products and
// sums, in doubles, each destination value rounded to float once per voice. A run's constants
// are passed by value, so the loops keep them in registers (a store to the area cannot change them).
struct PlainRun {
  const int16_t* data;
  double gA, gB;
  uint64_t step;
};

template <bool Forward>
uint64_t MixOneFrameAtATime(const PlainRun run, uint64_t pos, float* dst, int32_t frames) {
  for (int32_t k = 0; k < frames; ++k) {
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const double s0 = run.data[i], s1 = run.data[i + 1];
    const double f = static_cast<double>(static_cast<uint32_t>(pos) >> 1) * kFracScale;
    const double value = s0 + (s1 - s0) * f;
    dst[2 * k] = static_cast<float>(dst[2 * k] + value * run.gA);
    dst[2 * k + 1] = static_cast<float>(dst[2 * k + 1] + value * run.gB);
    pos = Forward ? pos + run.step : pos - run.step;
  }
  return pos;
}

// The wide loops find the interpolated value without any conversion, exactly, so its bits are
// those of s0 + (s1 - s0) x f (which is exact too: 16-bit values and a 31-bit fraction need at
// most 48 bits). With a = s0 + 2^15 and b = s1 + 2^15 (0..65535) and the fraction r / 2^31, the
// value is (a (2^31 - r) + b r) / 2^31 - 2^15, the numerator an integer below 2^48: two unsigned
// 32 x 32-bit products. Written into the mantissa of 2^21, whose last place is worth 2^-31, the
// numerator reads as 2^21 + numerator / 2^31, and subtracting 2^21 + 2^15 leaves the value.
// Conversions and lane moves would crowd the one shuffle unit; these are plain integer steps.
constexpr int64_t kTwoTo21Bits = 0x4140000000000000LL;
constexpr double kTwoTo21Offset = 2097152.0 + 32768.0;
constexpr int64_t kSignBits = 0x80008000LL;  // both 16-bit values' sign bits, in one 64-bit lane
constexpr int32_t kTwoTo31 = static_cast<int32_t>(0x80000000u);

// Each frame's two neighbouring values in one 32-bit load (the guard slots make the second
// readable at every position the boundary lets the loop reach).
inline int32_t ValuePair(const int16_t* data, uint64_t pos) {
  int32_t w;
  std::memcpy(&w, data + static_cast<uint32_t>(pos >> 32), 4);
  return w;
}

#if defined(__SSE2__)
// Two frames' interpolated values, one per 64-bit lane. `lanes` holds the two positions.
struct PairInterpolator {
  const __m128i signs = _mm_set1_epi64x(kSignBits);
  const __m128i low16 = _mm_set1_epi64x(0xFFFF);
  const __m128i twoTo31 = _mm_set1_epi32(kTwoTo31);
  const __m128i exponent = _mm_set1_epi64x(kTwoTo21Bits);
  const __m128d offset = _mm_set1_pd(kTwoTo21Offset);

  __m128d operator()(const int16_t* data, uint64_t p0, uint64_t p1, __m128i lanes) const {
    const __m128i pairs =
        _mm_unpacklo_epi64(_mm_cvtsi32_si128(ValuePair(data, p0)), _mm_cvtsi32_si128(ValuePair(data, p1)));
    // a in the low 16 bits of each lane, b in the low 16 after a shift; the fraction r and
    // 2^31 - r in the low 32 bits, which is all the unsigned product reads.
    const __m128i biased = _mm_xor_si128(pairs, signs);
    const __m128i a = _mm_and_si128(biased, low16), b = _mm_srli_epi64(biased, 16);
    const __m128i r = _mm_srli_epi32(lanes, 1);
    const __m128i numerator = _mm_add_epi64(_mm_mul_epu32(a, _mm_sub_epi32(twoTo31, r)), _mm_mul_epu32(b, r));
    return _mm_sub_pd(_mm_castsi128_pd(_mm_or_si128(numerator, exponent)), offset);
  }
};

// The two frames' positions side by side, and the two steps they move by each iteration, with
// the same wrap as the scalar position.
template <bool Forward>
__m128i PairLanes(uint64_t pos, uint64_t step) {
  return _mm_set_epi64x(static_cast<int64_t>(Forward ? pos + step : pos - step), static_cast<int64_t>(pos));
}
template <bool Forward>
__m128i NextPairLanes(__m128i lanes, __m128i steps) {
  return Forward ? _mm_add_epi64(lanes, steps) : _mm_sub_epi64(lanes, steps);
}

// Adds value x gains to two interleaved frames of the area, each rounded to float once.
inline void AddPair(float* d, __m128d value, __m128d gains0, __m128d gains1) {
  const __m128d d0 = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d))));
  const __m128d d1 = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + 2))));
  const __m128 r0 = _mm_cvtpd_ps(_mm_add_pd(d0, _mm_mul_pd(_mm_unpacklo_pd(value, value), gains0)));
  const __m128 r1 = _mm_cvtpd_ps(_mm_add_pd(d1, _mm_mul_pd(_mm_unpackhi_pd(value, value), gains1)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_castps_si128(r0));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 2), _mm_castps_si128(r1));
}

// Two frames per iteration, one per 64-bit lane.
template <bool Forward>
uint64_t MixTwoFramesAtATime(const PlainRun run, uint64_t pos, float* dst, int32_t frames) {
  const PairInterpolator interpolate;
  const __m128d gains = _mm_set_pd(run.gB, run.gA);
  __m128i lanes = PairLanes<Forward>(pos, run.step);
  const __m128i steps = _mm_set1_epi64x(static_cast<int64_t>(run.step + run.step));
  for (int32_t k = 0; k + 1 < frames; k += 2) {
    const uint64_t p1 = Forward ? pos + run.step : pos - run.step;
    const __m128d value = interpolate(run.data, pos, p1, lanes);
    pos = Forward ? p1 + run.step : p1 - run.step;
    lanes = NextPairLanes<Forward>(lanes, steps);
    AddPair(dst + 2 * k, value, gains, gains);
  }
  return pos;
}

// During a ramp each frame's gains are the previous frame's plus the ramp steps, rounded to
// float: a chain of sums that no lane can run ahead on. The chain is kept as it is, both gains
// in the float lanes of one register (the same float sums), and each frame takes its gains from
// it as it goes; the interpolation and the mixing run two frames at a time as without a ramp.
template <bool Forward>
uint64_t RampTwoFramesAtATime(const int16_t* data, uint64_t step, uint64_t pos, float* dst, int32_t frames,
                              float& gA, float& gB, float stepA, float stepB) {
  const PairInterpolator interpolate;
  __m128 gains = _mm_setr_ps(gA, gB, 0.0f, 0.0f);
  const __m128 steps = _mm_setr_ps(stepA, stepB, 0.0f, 0.0f);
  __m128i lanes = PairLanes<Forward>(pos, step);
  const __m128i twoSteps = _mm_set1_epi64x(static_cast<int64_t>(step + step));
  for (int32_t k = 0; k + 1 < frames; k += 2) {
    const uint64_t p1 = Forward ? pos + step : pos - step;
    const __m128d value = interpolate(data, pos, p1, lanes);
    pos = Forward ? p1 + step : p1 - step;
    lanes = NextPairLanes<Forward>(lanes, twoSteps);
    const __m128d gains0 = _mm_cvtps_pd(gains);
    gains = _mm_add_ps(gains, steps);
    const __m128d gains1 = _mm_cvtps_pd(gains);
    gains = _mm_add_ps(gains, steps);
    AddPair(dst + 2 * k, value, gains0, gains1);
  }
  gA = _mm_cvtss_f32(gains);
  gB = _mm_cvtss_f32(_mm_shuffle_ps(gains, gains, _MM_SHUFFLE(1, 1, 1, 1)));
  return pos;
}
#endif

#if VALE_MIX_FOUR_FRAMES
// Four frames per iteration in 256-bit lanes, for processors that have them (chosen at run
// time). The lanes hold frames 0, 2 | 1, 3, so that duplicating each value in place gives the
// pairs 0, 1 and 2, 3 that line up with the interleaved destination. It cannot be inlined into
// its caller (which is built for any processor), so the run comes in registers, field by field:
// a struct handed over in memory made every call wait for the stores that had just built it.
template <bool Forward>
__attribute__((target("avx2"))) uint64_t MixFourFramesAtATime(const int16_t* data, double gA, double gB, uint64_t step,
                                                              uint64_t pos, float* dst, int32_t frames) {
  const PlainRun run{data, gA, gB, step};
  const __m256d gains = _mm256_set_pd(run.gB, run.gA, run.gB, run.gA);
  const __m256i signs = _mm256_set1_epi64x(kSignBits);
  const __m256i low16 = _mm256_set1_epi64x(0xFFFF);
  const __m256i twoTo31 = _mm256_set1_epi32(kTwoTo31);
  const __m256i exponent = _mm256_set1_epi64x(kTwoTo21Bits);
  const __m256d offset = _mm256_set1_pd(kTwoTo21Offset);
  auto advance = [](uint64_t p, uint64_t by) { return Forward ? p + by : p - by; };
  __m256i lanes = _mm256_set_epi64x(static_cast<int64_t>(advance(pos, 3 * step)), static_cast<int64_t>(advance(pos, step)),
                                    static_cast<int64_t>(advance(pos, 2 * step)), static_cast<int64_t>(pos));
  const __m256i steps = _mm256_set1_epi64x(static_cast<int64_t>(4 * step));
  for (int32_t k = 0; k + 3 < frames; k += 4) {
    const uint64_t p1 = advance(pos, step), p2 = advance(p1, step), p3 = advance(p2, step);
    const __m128i even = _mm_unpacklo_epi64(_mm_cvtsi32_si128(ValuePair(run.data, pos)),
                                            _mm_cvtsi32_si128(ValuePair(run.data, p2)));
    const __m128i odd = _mm_unpacklo_epi64(_mm_cvtsi32_si128(ValuePair(run.data, p1)),
                                           _mm_cvtsi32_si128(ValuePair(run.data, p3)));
    pos = advance(p3, step);
    const __m256i biased = _mm256_xor_si256(_mm256_inserti128_si256(_mm256_castsi128_si256(even), odd, 1), signs);
    const __m256i a = _mm256_and_si256(biased, low16), b = _mm256_srli_epi64(biased, 16);
    const __m256i r = _mm256_srli_epi32(lanes, 1);
    const __m256i numerator =
        _mm256_add_epi64(_mm256_mul_epu32(a, _mm256_sub_epi32(twoTo31, r)), _mm256_mul_epu32(b, r));
    const __m256d value = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(numerator, exponent)), offset);
    lanes = Forward ? _mm256_add_epi64(lanes, steps) : _mm256_sub_epi64(lanes, steps);
    float* d = dst + 2 * k;
    const __m256d d01 = _mm256_cvtps_pd(_mm_loadu_ps(d));
    const __m256d d23 = _mm256_cvtps_pd(_mm_loadu_ps(d + 4));
    _mm_storeu_ps(d, _mm256_cvtpd_ps(_mm256_add_pd(d01, _mm256_mul_pd(_mm256_unpacklo_pd(value, value), gains))));
    _mm_storeu_ps(d + 4, _mm256_cvtpd_ps(_mm256_add_pd(d23, _mm256_mul_pd(_mm256_unpackhi_pd(value, value), gains))));
  }
  return pos;
}
#endif

MixLoop ChooseDefaultLoop() {
#if VALE_MIX_FOUR_FRAMES
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return MixLoop::FourFrames;
#endif
#if defined(__SSE2__)
  return MixLoop::TwoFrames;
#else
  return MixLoop::OneFrame;
#endif
}

MixLoop& ActiveLoop() {
  static MixLoop loop = ChooseDefaultLoop();
  return loop;
}

template <bool Forward>
void RenderPlainDirected(Voice& v, float* dst, int32_t frames) {
  // The gains are the quotients in double, not rounded to float (unlike the ramp's): so the
  // program has always mixed them, and every build must agree.
  const PlainRun run{v.sample->data, v.gainA / 255.0, v.gainB / 255.0,
                     (static_cast<uint64_t>(v.stepInt) << 32) | v.stepFrac};
  uint64_t pos = Position(v);
  int32_t done = 0;
  switch (ActiveLoop()) {
#if VALE_MIX_FOUR_FRAMES
    case MixLoop::FourFrames:
      pos = MixFourFramesAtATime<Forward>(run.data, run.gA, run.gB, run.step, pos, dst, frames);
      done = frames & ~3;
      [[fallthrough]];
#endif
#if defined(__SSE2__)
    case MixLoop::TwoFrames:
      pos = MixTwoFramesAtATime<Forward>(run, pos, dst + 2 * done, frames - done);
      done += (frames - done) & ~1;
      break;
#endif
    default: break;
  }
  SetPosition(v, MixOneFrameAtATime<Forward>(run, pos, dst + 2 * done, frames - done));
}

void RenderPlain(Voice& v, float* dst, int32_t frames) {
  if (v.gainA == 0 && v.gainB == 0) {
    // A silent voice (a faded-out twin playing on) adds exact zeros: only its position moves.
    const uint64_t step = (static_cast<uint64_t>(v.stepInt) << 32) | v.stepFrac;
    const uint64_t travel = step * static_cast<uint64_t>(frames);
    SetPosition(v, v.direction == kForward ? Position(v) + travel : Position(v) - travel);
    return;
  }
  if (v.direction == kForward)
    RenderPlainDirected<true>(v, dst, frames);
  else
    RenderPlainDirected<false>(v, dst, frames);
}

// During a ramp the gains move by the ramp steps after every frame.
void RenderRamp(Voice& v, float* dst, int32_t frames) {
  const int16_t* data = v.sample->data;
  float gA = static_cast<float>(v.currentA / (256.0 * 255.0));
  float gB = static_cast<float>(v.currentB / (256.0 * 255.0));
  const float stepA = v.rampStepA, stepB = v.rampStepB;
  uint64_t pos = Position(v);
  const uint64_t step = (static_cast<uint64_t>(v.stepInt) << 32) | v.stepFrac;
  const bool forward = v.direction == kForward;
  int32_t k = 0;
#if defined(__SSE2__)
  if (ActiveLoop() != MixLoop::OneFrame) {
    pos = forward ? RampTwoFramesAtATime<true>(data, step, pos, dst, frames, gA, gB, stepA, stepB)
                  : RampTwoFramesAtATime<false>(data, step, pos, dst, frames, gA, gB, stepA, stepB);
    k = frames & ~1;
  }
#endif
  for (; k < frames; ++k) {
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const double s0 = data[i], s1 = data[i + 1];
    const double f = static_cast<double>(static_cast<uint32_t>(pos) >> 1) * kFracScale;
    const double value = s0 + (s1 - s0) * f;
    dst[2 * k] = static_cast<float>(dst[2 * k] + value * gA);
    dst[2 * k + 1] = static_cast<float>(dst[2 * k + 1] + value * gB);
    pos = forward ? pos + step : pos - step;
    gA = static_cast<float>(gA + stepA);
    gB = static_cast<float>(gB + stepB);
  }
  SetPosition(v, pos);
  v.currentA = static_cast<int32_t>(std::lround(static_cast<double>(gA) * 255.0 * 256.0));
  v.currentB = static_cast<int32_t>(std::lround(static_cast<double>(gB) * 255.0 * 256.0));
}

// Loop end reached: wrap, turn, or stop. False when the voice stopped.
bool HandleBoundary(Voice& v) {
  const SampleRecord& s = *v.sample;
  const uint32_t end = s.loopStart + s.loopLength;
  if (s.loopMode == kLoopForward && s.loopLength > 0) {
    if (v.positionInt >= end) {
      const uint32_t over = v.positionInt - end;
      v.positionInt -= (over / s.loopLength + 1) * s.loopLength;
    }
    return true;
  }
  if (s.loopMode == kLoopPingPong && s.loopLength > 0) {
    const int64_t lo = static_cast<int64_t>(s.loopStart) << 32;
    const int64_t hi = static_cast<int64_t>(end) << 32;
    int64_t p = static_cast<int64_t>(Position(v));
    // Reflect at whichever end was passed until the position lies inside the loop again.
    for (int guard = 0; guard < 1 << 20; ++guard) {
      if (v.direction == kForward) {
        p = 2 * hi - p - 1;
        v.direction = kBackward;
        if ((p >> 32) >= static_cast<int64_t>(s.loopStart)) break;
      } else {
        p = 2 * lo - p - 1;
        v.direction = kForward;
        if ((p >> 32) < static_cast<int64_t>(end)) break;
      }
    }
    // A loop starting at 0 must not turn below the first value.
    SetPosition(v, static_cast<uint64_t>(std::clamp<int64_t>(p, 0, hi)));
    return true;
  }
  v.sample = nullptr;
  v.positionInt = 0;
  v.positionFrac = 0;
  return false;
}

void MixVoice(Voice& v, float* destination, int32_t n) {
  int32_t done = 0;
  while (done < n && v.sample) {
    int32_t left = n - done;
    bool bounded = false;
    const uint64_t toBoundary = FramesToBoundary(v, bounded);
    bool endsAtBoundary = false;
    if (bounded && toBoundary <= static_cast<uint64_t>(left)) {
      left = static_cast<int32_t>(toBoundary);
      endsAtBoundary = true;
    }
    if (!(v.rampRemaining != 0 && v.gainA == v.rampTargetA && v.gainB == v.rampTargetB)) {
      v.rampTargetA = v.gainA;
      v.rampTargetB = v.gainB;
      const int32_t dA = v.gainA - (v.currentA >> 8);
      const int32_t dB = v.gainB - (v.currentB >> 8);
      v.rampStepA = static_cast<float>(dA / 255.0 / mixSettings.rampLength);
      v.rampStepB = static_cast<float>(dB / 255.0 / mixSettings.rampLength);
      if (dA != 0 || dB != 0) v.rampRemaining = mixSettings.rampLength;
    }
    bool rampEndCut = false;
    if (v.rampRemaining != 0) {
      // A ramp that ends before the boundary and the end of the call cuts the segment there.
      if (v.rampRemaining < left) {
        left = v.rampRemaining;
        endsAtBoundary = false;
        rampEndCut = true;
      }
      RenderRamp(v, destination + 2 * done, left);
      v.rampRemaining -= left;
      if (v.rampRemaining == 0) {
        v.rampStepA = v.rampStepB = 0;
        v.currentA = v.gainA * 256;
        v.currentB = v.gainB * 256;
      }
    } else {
      RenderPlain(v, destination + 2 * done, left);
    }
    done += left;
    if (rampEndCut) continue;
    if (endsAtBoundary) HandleBoundary(v);
  }
}

}  // namespace

bool MixLoopAvailable(MixLoop loop) {
  switch (loop) {
    case MixLoop::OneFrame: return true;
#if defined(__SSE2__)
    case MixLoop::TwoFrames: return true;
#endif
#if VALE_MIX_FOUR_FRAMES
    case MixLoop::FourFrames: return ChooseDefaultLoop() == MixLoop::FourFrames;
#endif
    default: return false;
  }
}

void SetMixLoop(MixLoop loop) {
  if (MixLoopAvailable(loop)) ActiveLoop() = loop;
}

MixLoop DefaultMixLoop() { return ChooseDefaultLoop(); }

void MixVoices(float* destination, int32_t n) {
  if (n < 1) return;
  for (Voice& v : voices) {
    if (v.sample) MixVoice(v, destination, n);
  }
}

void ConvertBlock(int16_t* destination, const float* source, int32_t n) {
  int32_t i = 0;
#if defined(__SSE2__)
  // Eight values at a time, in float lanes: doubling a float is exact (a value beyond the float
  // range becomes infinite and clips the same), so the clamp and the conversion, which rounds to
  // nearest, ties to even (the default mode), see the value the double form sees.
  const __m128 lo = _mm_set1_ps(-32768.0f), hi = _mm_set1_ps(32767.0f);
  for (; i + 8 <= 2 * n; i += 8) {
    const __m128 x0 = _mm_loadu_ps(source + i), x1 = _mm_loadu_ps(source + i + 4);
    const __m128i a = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_add_ps(x0, x0), lo), hi));
    const __m128i b = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_add_ps(x1, x1), lo), hi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_packs_epi32(a, b));
  }
  if (i + 4 <= 2 * n) {
    const __m128 x = _mm_loadu_ps(source + i);
    const __m128i a = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_add_ps(x, x), lo), hi));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(destination + i), _mm_packs_epi32(a, a));
    i += 4;
  }
#endif
  // Adding and removing 1.5 x 2^52 rounds to the nearest integer, ties to even, in the default
  // rounding mode; the clamp first keeps the value well inside that trick's range.
  constexpr double kRound = 6755399441055744.0;
  for (; i < 2 * n; ++i) {
    const double x = std::clamp(static_cast<double>(source[i]) * 2.0, -32768.0, 32767.0);
    const double shifted = x + kRound;
    destination[i] = static_cast<int16_t>(shifted - kRound);
  }
}
