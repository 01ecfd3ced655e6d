#include "learn/Press.h"

#include <algorithm>
#include <cmath>

namespace vireo::learn {

namespace {
constexpr std::int64_t kShortestUs = 20;
constexpr std::int64_t kHeldUs = 500'000;
}  // namespace

Distortion RandomDistortion(std::mt19937_64& random, std::int64_t maxStretchUs) {
  Distortion d;
  d.jitter = std::uniform_real_distribution<double>(0.0, 0.03)(random);
  d.stretchUs = std::uniform_int_distribution<std::int64_t>(0, maxStretchUs)(random);
  d.stepUs = std::uniform_int_distribution<std::int64_t>(10, 50)(random);
  d.repeats = std::uniform_int_distribution<int>(1, 4)(random);
  d.leadUs = std::uniform_int_distribution<std::int64_t>(0, 2000)(random);
  // Spread over 0 to 100 us by the lead, without a draw of its own, so that
  // the presses of a given seed stay those they always were.
  d.wakeUs = d.leadUs * 7919 % 101;
  return d;
}

std::int64_t RepeatGapUs(const Durations& capture) {
  std::int64_t gap = 40'000;
  for (std::size_t i = 1; i < capture.size(); i += 2) gap = std::max(gap, capture[i]);
  return gap;
}

Durations Distort(const Durations& capture, const Distortion& distortion, std::mt19937_64& random) {
  Durations out;
  const std::int64_t gap = RepeatGapUs(capture);
  std::int64_t length = 0;
  for (std::int64_t d : capture) length += d;
  // A capture that is already a held button's many frames is not held again;
  // nothing is sent past half a second.
  const int repeats =
      static_cast<int>(std::clamp<std::int64_t>(kHeldUs / (length + gap), 1, distortion.repeats));
  for (int r = 0; r < repeats; ++r) {
    if (r > 0) out.push_back(gap);
    out.insert(out.end(), capture.begin(), capture.end());
  }
  // Half a second of a held button says all there is to say of it.
  std::int64_t held = 0;
  std::size_t kept = 0;
  while (kept < out.size() && held + out[kept] <= kHeldUs) held += out[kept++];
  out.resize(std::max<std::size_t>(1, kept - (kept % 2 == 0 && kept > 0 ? 1 : 0)));
  std::uniform_real_distribution<double> jitter(-distortion.jitter, distortion.jitter);
  for (std::size_t i = 0; i < out.size(); ++i) {
    double scaled = static_cast<double>(out[i]) * (1.0 + jitter(random));
    out[i] = std::llround(scaled) + (i % 2 == 0 ? distortion.stretchUs : -distortion.stretchUs);
    out[i] = std::max(out[i], kShortestUs);
  }
  return out;
}

sim::Recording PressRecording(const Durations& press, std::int64_t leadUs, std::int64_t tailMs) {
  sim::Recording recording;
  if (leadUs > 0) recording.push_back({1, leadUs});
  // Bursts and pauses alternate, a burst first.
  for (std::size_t i = 0; i < press.size(); ++i)
    recording.push_back({i % 2 == 0 ? 0 : 1, press[i]});
  sim::AppendIdle(recording, tailMs);
  return recording;
}

}  // namespace vireo::learn
