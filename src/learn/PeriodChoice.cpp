#include "learn/PeriodChoice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vireo::learn {

namespace {

// Sorted values split where two neighbours lie further apart than the gap
// that noise of this size could make; each cut is a class bound.
std::vector<std::int32_t> Cuts(std::vector<std::int32_t> values, double relative,
                               double absoluteUs) {
  std::vector<std::int32_t> cuts;
  if (values.empty()) return cuts;
  std::sort(values.begin(), values.end());
  // A few stray values in a gap (a glitch, a cut first pair) would bridge
  // it: values seen less than once in this many are left out.
  const std::size_t rare = values.size() / 400;
  std::vector<std::int32_t> kept;
  for (std::size_t i = 0; i < values.size();) {
    std::size_t j = i;
    while (j + 1 < values.size() &&
           values[j + 1] - values[j] <= relative * values[j] + absoluteUs / 4) {
      ++j;
    }
    if (j - i + 1 > rare) kept.insert(kept.end(), values.begin() + i, values.begin() + j + 1);
    i = j + 1;
  }
  for (std::size_t i = 0; i + 1 < kept.size(); ++i) {
    const double low = kept[i], high = kept[i + 1];
    if (high - low > relative * (low + high) + absoluteUs) {
      cuts.push_back(static_cast<std::int32_t>(std::lround((low + high) / 2)));
    }
  }
  return cuts;
}

constexpr std::size_t kBurstBounds = 3;

}  // namespace

std::vector<PairNumbers> DebugPairs(const std::string& line) {
  std::vector<PairNumbers> pairs;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t bar = line.find('|', pos);
    if (bar == std::string::npos) break;
    const char* text = line.c_str() + pos + 1;
    char* slash = nullptr;
    PairNumbers numbers;
    numbers.periodUs = static_cast<std::int32_t>(std::strtol(text, &slash, 10));
    if (slash != nullptr && *slash == '/') {
      numbers.excessUs = static_cast<std::int32_t>(std::strtol(slash + 1, nullptr, 10));
    }
    pairs.push_back(numbers);
    pos = bar + 1;
  }
  return pairs;
}

std::string CodeUnder(const std::vector<PairNumbers>& pairs, const PeriodForm& form) {
  std::string code;
  for (const PairNumbers& p : pairs) code += PeriodSymbol(p.periodUs, p.excessUs, form);
  return code;
}

std::vector<PeriodForm> CandidateForms(const std::vector<std::vector<PairNumbers>>& packets,
                                       const std::vector<std::int32_t>& recordedPeriods,
                                       std::int32_t noiseUs) {
  // The first pair was cut by the packet's start and the last runs on into
  // the quiet after the packet: neither is one of the handset's classes.
  std::vector<std::int32_t> periods, excesses;
  for (const auto& pairs : packets) {
    for (std::size_t i = 1; i + 1 < pairs.size(); ++i) {
      periods.push_back(pairs[i].periodUs);
      excesses.push_back(pairs[i].excessUs);
    }
  }
  std::vector<std::int32_t> bursts = Cuts(excesses, 0.03, noiseUs);
  std::vector<PeriodForm> forms;
  std::vector<std::vector<std::int32_t>> splits;
  for (double relative : {0.01, 0.03, 0.08}) splits.push_back(Cuts(periods, relative, 0));
  splits.push_back(Cuts(recordedPeriods, 0.02, 0));
  for (std::vector<std::int32_t>& cuts : splits) {
    // More classes than letters: the closest neighbours merge first.
    while (cuts.size() > static_cast<std::size_t>(PeriodForm::kMaxBounds)) {
      std::size_t closest = 1;
      for (std::size_t i = 1; i < cuts.size(); ++i) {
        if (cuts[i] * 1.0 / cuts[i - 1] < cuts[closest] * 1.0 / cuts[closest - 1]) closest = i;
      }
      cuts.erase(cuts.begin() + static_cast<std::ptrdiff_t>(closest));
    }
    PeriodForm form;
    form.boundCount = static_cast<int>(cuts.size());
    std::copy(cuts.begin(), cuts.end(), form.boundsUs.begin());
    if (form.boundCount == 0) {
      form.boundCount = 1;  // one class: every period reads "a"
      form.boundsUs[0] = 1'000'000;
    }
    forms.push_back(form);
    // Any of the gaps between the bursts' clusters may be the one that
    // tells buttons apart: a few of them are tried.
    for (std::size_t i = 0; i < bursts.size() && i < kBurstBounds; ++i) {
      form.longBurstUs = bursts[i];
      forms.push_back(form);
    }
  }
  return forms;
}

std::string BoundsText(const PeriodForm& form) {
  std::string text;
  for (int i = 0; i < form.boundCount; ++i) {
    text += (i > 0 ? "," : "") + std::to_string(form.boundsUs[i]);
  }
  return text;
}

}  // namespace vireo::learn
