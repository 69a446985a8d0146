#include "music/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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

// Constant gains: two frames per iteration. The direction is a template argument so the inner
// loop carries no branch for it.
template <bool Forward>
void RenderPlainDirected(Voice& v, float* dst, int32_t frames) {
  const int16_t* data = v.sample->data;
  // The gains stay in double. A round trip through float, as this once read, is folded away by
  // GCC 12's x86-64 vectoriser but kept by the i686 build, so the two programs mixed differently;
  // double is what the soundtrack's reference output was made with.
  const double gA = v.gainA / 255.0;
  const double gB = v.gainB / 255.0;
  uint64_t pos = Position(v);
  const uint64_t step = (static_cast<uint64_t>(v.stepInt) << 32) | v.stepFrac;
  auto one = [&](float* d) {
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const double s0 = data[i], s1 = data[i + 1];
    const double f = static_cast<double>(static_cast<uint32_t>(pos) >> 1) * kFracScale;
    const double value = s0 + (s1 - s0) * f;
    d[0] = static_cast<float>(d[0] + value * gA);
    d[1] = static_cast<float>(d[1] + value * gB);
    pos = Forward ? pos + step : pos - step;
  };
  int32_t k = 0;
#if defined(__SSE2__)
  // Two frames per iteration in double lanes: the same operations as the scalar frame, so the
  // same results, with a third of the conversions.
  const __m128d gains = _mm_set_pd(gB, gA);
  const __m128d scale = _mm_set1_pd(kFracScale);
  for (; k + 1 < frames; k += 2) {
    const uint64_t p0 = pos;
    const uint64_t p1 = Forward ? pos + step : pos - step;
    pos = Forward ? p1 + step : p1 - step;
    const uint32_t i0 = static_cast<uint32_t>(p0 >> 32), i1 = static_cast<uint32_t>(p1 >> 32);
    // Each frame's two neighbouring values in one 32-bit load: [a0 b0 a1 b1] as 16-bit words,
    // widened with their sign to [a0 b0 a1 b1] as 32-bit, then split into the a and b pairs.
    int32_t w0, w1;
    std::memcpy(&w0, data + i0, 4);
    std::memcpy(&w1, data + i1, 4);
    const __m128i words = _mm_unpacklo_epi32(_mm_cvtsi32_si128(w0), _mm_cvtsi32_si128(w1));
    const __m128i wide = _mm_srai_epi32(_mm_unpacklo_epi16(words, words), 16);
    const __m128i split = _mm_shuffle_epi32(wide, _MM_SHUFFLE(3, 1, 2, 0));
    const __m128d s0 = _mm_cvtepi32_pd(split);
    const __m128d s1 = _mm_cvtepi32_pd(_mm_unpackhi_epi64(split, split));
    const __m128d f = _mm_mul_pd(
        _mm_cvtepi32_pd(_mm_set_epi32(0, 0, static_cast<int32_t>(static_cast<uint32_t>(p1) >> 1),
                                      static_cast<int32_t>(static_cast<uint32_t>(p0) >> 1))),
        scale);
    const __m128d value = _mm_add_pd(s0, _mm_mul_pd(_mm_sub_pd(s1, s0), f));
    float* d = dst + 2 * k;
    const __m128 both = _mm_loadu_ps(d);
    const __m128d d0 = _mm_cvtps_pd(both);
    const __m128d d1 = _mm_cvtps_pd(_mm_movehl_ps(both, both));
    const __m128d r0 = _mm_add_pd(d0, _mm_mul_pd(_mm_unpacklo_pd(value, value), gains));
    const __m128d r1 = _mm_add_pd(d1, _mm_mul_pd(_mm_unpackhi_pd(value, value), gains));
    _mm_storeu_ps(d, _mm_movelh_ps(_mm_cvtpd_ps(r0), _mm_cvtpd_ps(r1)));
  }
#else
  for (; k + 1 < frames; k += 2) {
    one(dst + 2 * k);
    one(dst + 2 * k + 2);
  }
#endif
  if (k < frames) one(dst + 2 * k);
  SetPosition(v, pos);
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
  uint64_t pos = Position(v);
  const uint64_t step = (static_cast<uint64_t>(v.stepInt) << 32) | v.stepFrac;
  const bool forward = v.direction == kForward;
  for (int32_t k = 0; k < frames; ++k) {
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const double s0 = data[i], s1 = data[i + 1];
    const double f = static_cast<double>(static_cast<uint32_t>(pos) >> 1) * kFracScale;
    const double value = s0 + (s1 - s0) * f;
    dst[2 * k] = static_cast<float>(dst[2 * k] + value * gA);
    dst[2 * k + 1] = static_cast<float>(dst[2 * k + 1] + value * gB);
    pos = forward ? pos + step : pos - step;
    gA = static_cast<float>(gA + v.rampStepA);
    gB = static_cast<float>(gB + v.rampStepB);
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

void MixVoices(float* destination, int32_t n) {
  if (n < 1) return;
  for (Voice& v : voices) {
    if (v.sample) MixVoice(v, destination, n);
  }
}

void ConvertBlock(int16_t* destination, const float* source, int32_t n) {
  int32_t i = 0;
#if defined(__SSE2__)
  // Four values at a time; the conversion rounds to nearest, ties to even (the default mode).
  const __m128d lo = _mm_set1_pd(-32768.0), hi = _mm_set1_pd(32767.0), two = _mm_set1_pd(2.0);
  for (; i + 4 <= 2 * n; i += 4) {
    const __m128 x = _mm_loadu_ps(source + i);
    const __m128d a = _mm_min_pd(_mm_max_pd(_mm_mul_pd(_mm_cvtps_pd(x), two), lo), hi);
    const __m128d b = _mm_min_pd(_mm_max_pd(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), two), lo), hi);
    const __m128i words = _mm_packs_epi32(_mm_unpacklo_epi64(_mm_cvtpd_epi32(a), _mm_cvtpd_epi32(b)), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(destination + i), words);
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
