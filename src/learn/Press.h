// One press of a button as a receiver would deliver it: a capture sent once
// or held for a few repeats, with the timing errors of a real handset and
// receiver, sampled by the engine at a given period.
#pragma once

#include <cstdint>
#include <random>

#include "learn/ButtonSignals.h"
#include "platform/sim/Recording.h"

namespace vireo::learn {

struct Distortion {
  double jitter = 0;           // each duration times 1 + u, u uniform in [-jitter, jitter]
  std::int64_t stretchUs = 0;  // a receiver lengthens each burst and shortens the pause after it
  std::int64_t stepUs = 10;    // the engine's sampling period
  int repeats = 1;             // copies of the capture, as a held button sends them, within 0.5 s
  std::int64_t leadUs = 0;     // quiet before the first burst: its phase against the idle polling
  std::int64_t wakeUs = 0;     // how late a wait for the CTS edge wakes: a native port's driver
};

// Jitter up to 3 %, stretch 0 to 150 us, sampling every 10 to 50 us, one to
// four repeats, the first burst anywhere in a 2 ms polling window, an edge
// wait that wakes 0 to 100 us late.
Distortion RandomDistortion(std::mt19937_64& random, std::int64_t maxStretchUs = 150);

// The pause between two copies of a held button: the longest pause of 10 ms
// or more inside the capture (the handset's own repeat gap), at least 40 ms.
std::int64_t RepeatGapUs(const Durations& capture);

// The distorted durations of one press, burst first (no lead, no tail).
Durations Distort(const Durations& capture, const Distortion& distortion, std::mt19937_64& random);

// Levels for the simulated receiver: the lead, the press, then quiet.
sim::Recording PressRecording(const Durations& press, std::int64_t leadUs, std::int64_t tailMs);

}  // namespace vireo::learn
