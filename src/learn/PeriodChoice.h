// The classes of the code by pair periods, chosen for one handset from the
// periods and burst excesses its distorted presses showed: bounds in the
// gaps between the clusters, so that noise stays inside a class.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "signal/PeriodCode.h"

namespace vireo::learn {

struct PairNumbers {
  std::int32_t periodUs = 0;
  std::int32_t excessUs = 0;
};

// The numbers of a debug code line by periods ("a 1125/0|b 2250/12|..."), in order.
std::vector<PairNumbers> DebugPairs(const std::string& line);

// The code those numbers give under a form, as the engine would render it.
std::string CodeUnder(const std::vector<PairNumbers>& pairs, const PeriodForm& form);

// Candidate forms, from the finest split of the clusters to coarser ones,
// each with and without burst classes where the bursts fall apart. The
// numbers are every packet's pairs; `noiseUs` is what sampling and slots
// may add to or take from one measured run.
// Forms are also made from the recordings' own periods, split only where
// they differ: for handsets whose classes lie closer than the noise, whose
// symbols then waver, but whose Values may still hold where they do not.
std::vector<PeriodForm> CandidateForms(const std::vector<std::vector<PairNumbers>>& packets,
                                       const std::vector<std::int32_t>& recordedPeriods,
                                       std::int32_t noiseUs);

// The bounds and long-burst bound as a VIREO.INI value: "1700,2600".
std::string BoundsText(const PeriodForm& form);

}  // namespace vireo::learn
