// The product's alignment against the plain trial-by-trial form, on random
// cases of every shape the search meets: dense and sparse frames, damaged
// repeats, periodic patterns that fit at several shifts, mismatch runs that
// reach slot 1299, captured packets, odd slot values, and acceptance limits
// around the best score. Options, read before GoogleTest's own:
//   --full-cases=N   whole AcceptPacket runs in both forms, every field compared
//   --trial-cases=M  single trials: the bit-plane score against Score of a moved copy
//   --seed=S, --first-case=I  reproduce a reported case
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "CapturedPackets.h"
#include "ReferenceAlignment.h"
#include "SignalTestSupport.h"
#include "signal/Alignment.h"
#include "signal/AlignmentPlanes.h"
#include "signal/FramePair.h"

namespace vireo {
namespace {

struct Options {
  std::int64_t fullCases = 300;
  std::int64_t trialCases = 20000;
  std::uint64_t seed = 0x5EEDC0DE;
  std::int64_t firstCase = 0;
};
Options options;

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <class T>
  T Pick(std::initializer_list<T> values) {
    return values.begin()[Below(static_cast<int>(values.size()))];
  }

 private:
  std::uint64_t state_;
};

std::uint64_t CaseSeed(std::int64_t index) {
  return Rng(options.seed ^ (static_cast<std::uint64_t>(index) * 0xD1B54A32D192ED03ull)).Next();
}

// Alternating runs of random length over slots first..last.
void FillRuns(SignalFrame& frame, Rng& rng, int first, int last, int maxRun) {
  std::int32_t level = rng.Chance(50) ? 1 : -1;
  for (int k = std::max(first, 0); k <= std::min(last, kSlotCount - 1);) {
    for (int n = rng.Range(1, maxRun); n > 0 && k <= last && k < kSlotCount; --n) {
      frame.slots[k++] = level;
    }
    level = -level;
  }
}

void Thin(SignalFrame& frame, Rng& rng, int keepPercent) {
  for (auto& v : frame.slots) {
    if (!rng.Chance(keepPercent)) v = 0;
  }
}

// Flips groups of one to four slots: mismatches, some of them in runs.
int Damage(SignalFrame& frame, Rng& rng, int groups) {
  for (int g = 0; g < groups; ++g) {
    const int at = rng.Below(kSlotCount);
    for (int k = at, n = rng.Range(1, 4); n > 0 && k < kSlotCount; --n, ++k) {
      frame.slots[k] = -frame.slots[k];
    }
  }
  return groups;
}

SignalFrame RandomDense(Rng& rng) {
  SignalFrame frame;
  FillRuns(frame, rng, 0, kSlotCount - 1, rng.Pick({1, 2, 4, 16, 64}));
  return frame;
}

struct Case {
  const char* kind = "";
  SignalFrame reference;
  SignalFrame packet;
  std::int32_t acceptLimit = 0;
  int damage = 0;  // mismatch groups made on purpose
  bool oddValues = false;
};

enum Kind {
  kDense,
  kSparse,
  kRepeat,
  kPeriodic,
  kEndRuns,
  kCaptured,
  kTiny,
  kBoundary,
  kOdd,
  kKinds
};

Case MakeFrames(Rng& rng, bool plainValuesOnly) {
  Case c;
  const int kind = rng.Below(plainValuesOnly ? kOdd : kKinds);
  switch (kind) {
    case kDense:
      c.kind = "dense";
      c.reference = RandomDense(rng);
      FillRuns(c.packet, rng, rng.Below(kSlotCount), rng.Below(kSlotCount), rng.Pick({1, 3, 30}));
      break;
    case kSparse:
      c.kind = "sparse";
      c.reference = RandomDense(rng);
      c.packet = RandomDense(rng);
      Thin(c.reference, rng, rng.Pick({1, 5, 20, 50, 90}));
      Thin(c.packet, rng, rng.Pick({1, 5, 20, 50}));
      break;
    case kRepeat: {
      c.kind = "repeat";
      FillRuns(c.reference, rng, 0, rng.Range(100, kSlotCount - 1), rng.Range(2, 40));
      c.packet = c.reference;
      c.packet.ShiftBy(rng.Range(-340, 340));
      c.damage = Damage(c.packet, rng, rng.Below(5));
      if (rng.Chance(30)) Thin(c.packet, rng, rng.Pick({30, 80, 97}));
      if (rng.Chance(30)) Thin(c.reference, rng, rng.Pick({50, 95}));
      break;
    }
    case kPeriodic: {
      c.kind = "periodic";
      const int period = rng.Range(2, 40);
      std::vector<std::int32_t> pattern(static_cast<std::size_t>(period));
      for (auto& v : pattern) v = rng.Chance(50) ? 1 : -1;
      const int phase = rng.Below(period);
      const int from = rng.Below(kSlotCount);
      const int to = rng.Range(from, kSlotCount - 1);
      for (int k = 0; k < kSlotCount; ++k) {
        c.reference.slots[k] = pattern[static_cast<std::size_t>(k % period)];
        if (k >= from && k <= to)
          c.packet.slots[k] = pattern[static_cast<std::size_t>((k + phase) % period)];
      }
      c.damage = Damage(c.packet, rng, rng.Below(3));
      break;
    }
    case kEndRuns: {
      c.kind = "end runs";
      c.reference = RandomDense(rng);
      c.packet = c.reference;
      const int shift = rng.Chance(50) ? 0 : rng.Range(1, 324);
      c.packet.ShiftBy(-shift);  // the fit at +shift reaches slot 1299
      // Flip the last slots that reach 1299 once aligned, and maybe a few more.
      for (int k = kSlotCount - 1 - shift, n = rng.Range(1, 5); n > 0; --n, --k) {
        c.packet.slots[k] = -c.packet.slots[k];
      }
      c.damage = Damage(c.packet, rng, rng.Below(2));
      break;
    }
    case kCaptured: {
      c.kind = "captured";
      const auto& all = testing::CapturedPackets();
      std::vector<int> durations =
          all[static_cast<std::size_t>(rng.Below(static_cast<int>(all.size())))].durationsUs;
      testing::Sampling sampling;
      sampling.windowMs = rng.Pick({130, 150, 200});
      sampling.leadIdleUs = rng.Range(500, 20000);
      sampling.tailIdleUs = rng.Range(1000, 30000);
      c.reference = testing::SampleCapture(durations, sampling);
      for (int& d : durations) d = d * rng.Range(95, 105) / 100;  // jitter of the repeat
      sampling.leadIdleUs = rng.Range(500, 20000);
      c.packet = testing::SampleCapture(durations, sampling);
      c.reference.Smooth();
      c.damage = Damage(c.packet, rng, rng.Below(3));
      break;
    }
    case kTiny:
      c.kind = "tiny";
      c.reference = rng.Chance(80) ? RandomDense(rng) : SignalFrame{};
      for (int n = rng.Range(1, 3); n > 0; --n)
        c.packet.slots[rng.Below(kSlotCount)] = rng.Chance(50) ? 1 : -1;
      break;
    case kBoundary: {
      // Groups of one or two slots, and longer groups only across the
      // boundaries of 64-slot words; the packet is the reference with its
      // levels turned over, moved by whole words or any amount.
      c.kind = "word boundaries";
      for (int k = rng.Below(8); k < kSlotCount; k += rng.Range(3, 12)) {
        for (int n = rng.Range(1, 2); n > 0 && k < kSlotCount; --n)
          c.reference.slots[k++] = rng.Chance(50) ? 1 : -1;
      }
      for (int n = rng.Range(1, 2); n > 0; --n) {
        const int end = 64 * rng.Range(1, 20);
        for (int k = end - rng.Range(1, 3); k < end + rng.Range(1, 3); ++k)
          c.reference.slots[k] = 1;
      }
      for (int k = 0; k < kSlotCount; ++k) c.packet.slots[k] = -c.reference.slots[k];
      c.packet.ShiftBy(rng.Chance(50) ? 64 * rng.Range(-5, 5) : rng.Range(-300, 300));
      break;
    }
    default:
      c.kind = "odd values";
      c.oddValues = true;
      c.reference = RandomDense(rng);
      FillRuns(c.packet, rng, rng.Below(kSlotCount), kSlotCount - 1, 8);
      for (int n = rng.Range(1, 4); n > 0; --n) {
        (rng.Chance(50) ? c.reference : c.packet).slots[rng.Below(kSlotCount)] =
            rng.Pick({2, -2, 5, -9});
      }
      break;
  }
  return c;
}

Case MakeFullCase(std::int64_t index) {
  Rng rng(CaseSeed(index));
  Case c = MakeFrames(rng, false);
  const int filled = c.packet.CountFilled();
  c.packet.minSlots = rng.Chance(80) ? rng.Range(-1, 2) : filled - rng.Below(2);
  const int k = c.damage;
  c.acceptLimit = rng.Chance(40) ? rng.Pick({k - 1, k, k + 1, 100 * k, 100 * k - 1})
                                 : rng.Pick({-1, 0, 1, 2, 3, 5, 100, 299, 300, 1299, 1300, 1301,
                                             kInt32Max, kInt32Min, rng.Below(2000)});
  return c;
}

// Runs check(index) for count cases on every hardware thread; the first
// failure stops the run and is returned.
std::string RunCases(std::int64_t count, const std::function<std::string(std::int64_t)>& check) {
  std::atomic<std::int64_t> next{options.firstCase};
  const std::int64_t end = options.firstCase + count;
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::string failure;
  auto worker = [&] {
    constexpr std::int64_t kChunk = 64;
    while (!failed.load()) {
      const std::int64_t from = next.fetch_add(kChunk);
      if (from >= end) return;
      for (std::int64_t i = from; i < std::min(end, from + kChunk); ++i) {
        std::string message = check(i);
        if (message.empty()) continue;
        std::lock_guard<std::mutex> lock(mutex);
        if (!failed.exchange(true)) {
          failure = "case " + std::to_string(i) +
                    " (rerun with --seed=" + std::to_string(options.seed) +
                    " --first-case=" + std::to_string(i) + "): " + message;
        }
        return;
      }
    }
  };
  std::vector<std::thread> threads(std::max(1u, std::thread::hardware_concurrency()));
  for (auto& t : threads) t = std::thread(worker);
  for (auto& t : threads) t.join();
  return failure;
}

// How often the cases reached each situation; names in the order of the
// caller's enumeration.
class Tallies {
 public:
  explicit Tallies(std::vector<const char*> names)
      : names_(std::move(names)), counts_(names_.size()) {}
  void Add(int i) { ++counts_[static_cast<std::size_t>(i)]; }

  void Report(const char* title, std::int64_t cases, bool requireAll) const {
    std::printf("%s: %lld cases\n", title, static_cast<long long>(cases));
    for (std::size_t i = 0; i < names_.size(); ++i) {
      std::printf("  %-38s %lld\n", names_[i], static_cast<long long>(counts_[i].load()));
      // Enough cases must reach every situation, or the generator has drifted.
      if (requireAll) {
        EXPECT_GT(counts_[i].load(), 0) << names_[i];
      }
    }
  }

 private:
  std::vector<const char*> names_;
  std::vector<std::atomic<std::int64_t>> counts_;
};

TEST(Differential, AcceptPacketMatchesThePlainFormInEveryField) {
  enum {
    kIgnored,
    kCopied,
    kAligned,
    kMerged,
    kRefused,
    kAtLimit,
    kAboveLimit,
    kTied,
    kNoFit,
    kPerfect,
    kForward,
    kOdd
  };
  Tallies tallies({"ignored (too few slots)", "copied over the reference", "aligned", "merged",
                   "not merged", "best score equal to the limit", "best score one above the limit",
                   "best score reached by several trials", "best score 1300", "best score 0",
                   "positive shift chosen", "odd slot values"});
  auto tally = [&](int i) { tallies.Add(i); };

  const std::string failure = RunCases(options.fullCases, [&](std::int64_t index) -> std::string {
    const Case c = MakeFullCase(index);
    FramePair fast;
    FramePair plain;
    for (FramePair* pair : {&fast, &plain}) {
      pair->reference = c.reference;
      pair->packet = c.packet;
      pair->acceptLimit = c.acceptLimit;
    }
    SignalFrame smoothed = c.packet;
    smoothed.Smooth();
    const std::optional<testing::ReferenceSearch> search = testing::ReferenceAcceptPacket(plain);
    fast.AcceptPacket();
    const std::string where = std::string(c.kind) + ", limit " + std::to_string(c.acceptLimit);
    if (std::string d = testing::FrameDifference(fast.packet, plain.packet); !d.empty()) {
      return where + ": packet " + d;
    }
    if (std::string d = testing::FrameDifference(fast.reference, plain.reference); !d.empty()) {
      return where + ": reference " + d;
    }
    if (c.oddValues) tally(kOdd);
    if (!search) {
      tally(plain.packet.accepted ? kCopied : kIgnored);
      return {};
    }
    const AlignmentResult product = FindBestShift(c.reference, smoothed);
    const AlignmentResult& expected = search->result;
    if (product.bestScore != expected.bestScore || product.bestTrial != expected.bestTrial) {
      return where + ": search " + std::to_string(product.bestScore) + "@" +
             std::to_string(product.bestTrial) + " vs " + std::to_string(expected.bestScore) + "@" +
             std::to_string(expected.bestTrial);
    }
    tally(kAligned);
    tally(plain.packet.accepted ? kMerged : kRefused);
    if (expected.bestScore == c.acceptLimit) tally(kAtLimit);
    if (std::int64_t{expected.bestScore} == std::int64_t{c.acceptLimit} + 1) tally(kAboveLimit);
    if (search->tiedTrials > 0 && expected.bestScore < kNoMatchScore) tally(kTied);
    if (expected.bestScore == kNoMatchScore) tally(kNoFit);
    if (expected.bestScore == 0) tally(kPerfect);
    if (expected.bestTrial > kShiftOffset) tally(kForward);
    return {};
  });
  EXPECT_EQ(failure, "");
  tallies.Report("AcceptPacket, fast against plain", options.fullCases, options.fullCases >= 1000);
}

TEST(Differential, SingleTrialScoresMatchScoreOfAMovedCopy) {
  enum { kPruned, kExact, kClosedRun, kAtTheEnd };
  Tallies tallies({"stopped early below the bound", "scored in full",
                   "score with a closed run (x100)", "mismatch at slot 1299"});
  constexpr int kTrialsPerFrames = 8;
  const std::int64_t framePairs = (options.trialCases + kTrialsPerFrames - 1) / kTrialsPerFrames;

  const std::string failure = RunCases(framePairs, [&](std::int64_t index) -> std::string {
    Rng rng(CaseSeed(index) ^ 0x7A11);
    const Case c = MakeFrames(rng, true);
    const planes::PackedFrame reference = planes::Pack(c.reference);
    const planes::ShiftedPacket moved(planes::Pack(c.packet));
    SignalFrame scratch;
    for (int t = 0; t < kTrialsPerFrames; ++t) {
      const int shift = rng.Chance(10) ? rng.Pick({planes::kMinShift, planes::kMaxShift, 0})
                                       : rng.Range(planes::kMinShift, planes::kMaxShift);
      scratch.CopySlotsFrom(c.packet);
      scratch.ShiftBy(shift);
      const std::int32_t expected = Score(c.reference, scratch, kRunTolerance);
      const std::int32_t full = planes::TrialScore(reference, moved, shift, kInt32Max);
      const std::int32_t bound =
          rng.Pick({expected, expected + 1, expected - 1, 1, kNoMatchScore, rng.Below(3000)});
      const std::int32_t bounded = planes::TrialScore(reference, moved, shift, bound);
      const bool keptBelow = expected < bound ? bounded == expected : bounded >= bound;
      if (full != expected || !keptBelow) {
        return std::string(c.kind) + ", shift " + std::to_string(shift) + ", bound " +
               std::to_string(bound) + ": " + std::to_string(full) + "/" + std::to_string(bounded) +
               " vs " + std::to_string(expected);
      }
      tallies.Add(expected < bound ? kExact : kPruned);
      // Without a run counted, the score would differ only by the factor 100.
      if (Score(c.reference, scratch, kSlotCount) != expected) tallies.Add(kClosedRun);
      if (c.reference.slots[kSlotCount - 1] * scratch.slots[kSlotCount - 1] < 0) {
        tallies.Add(kAtTheEnd);
      }
    }
    return {};
  });
  EXPECT_EQ(failure, "");
  tallies.Report("Single trials, bit planes against Score", framePairs * kTrialsPerFrames,
                 options.trialCases >= 1000);
}

bool ParseCount(const char* arg, const char* name, std::int64_t& value) {
  const std::size_t n = std::strlen(name);
  if (std::strncmp(arg, name, n) != 0 || arg[n] != '=') return false;
  value = std::strtoll(arg + n + 1, nullptr, 10);
  return true;
}

}  // namespace
}  // namespace vireo

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vireo::Options& o = vireo::options;
  for (int i = 1; i < argc; ++i) {
    if (vireo::ParseCount(argv[i], "--full-cases", o.fullCases) ||
        vireo::ParseCount(argv[i], "--trial-cases", o.trialCases) ||
        vireo::ParseCount(argv[i], "--first-case", o.firstCase)) {
      continue;
    }
    if (std::strncmp(argv[i], "--seed=", 7) == 0) {
      o.seed = std::strtoull(argv[i] + 7, nullptr, 10);
      continue;
    }
    std::fprintf(stderr, "unknown option %s\n", argv[i]);
    return 2;
  }
  return RUN_ALL_TESTS();
}
