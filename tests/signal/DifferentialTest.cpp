// The product's alignment against the plain trial-by-trial form, on random
// cases of every shape the search meets. Options, read before GoogleTest's:
//   --full-cases=N   whole AcceptPacket runs in both forms, every field compared
//   --trial-cases=M  single trials: the bit-plane score against Score of a moved copy
//   --seed=S, --first-case=I  reproduce a reported case
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

#include "ReferenceAlignment.h"
#include "SignalTestSupport.h"
#include "signal/AlignmentPlanes.h"
#include "support/CaseFile.h"

namespace vireo {
namespace {

std::int64_t fullCases = 300, trialCases = 20000, firstCase = 0;
std::uint64_t seed = 0x5EEDC0DE;
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

class Rng {  // splitmix64: the same cases on every platform
 public:
  explicit Rng(std::uint64_t s) : state_(s) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  int Pick(std::initializer_list<int> v) { return v.begin()[Below(static_cast<int>(v.size()))]; }

 private:
  std::uint64_t state_;
};

Rng CaseRng(std::int64_t index, std::uint64_t salt) {
  return Rng(Rng(seed ^ (static_cast<std::uint64_t>(index) * 0xD1B54A32D192ED03ull)).Next() ^ salt);
}

// Alternating runs of random length over slots first..last.
void FillRuns(SignalFrame& f, Rng& rng, int first, int last, int maxRun) {
  std::int32_t level = rng.Chance(50) ? 1 : -1;
  for (int k = first; k <= std::min(last, kSlotCount - 1); level = -level) {
    for (int n = rng.Range(1, maxRun); n > 0 && k <= last && k < kSlotCount; --n)
      f.slots[k++] = level;
  }
}
void Thin(SignalFrame& f, Rng& rng, int keepPercent) {
  for (auto& v : f.slots) v = rng.Chance(keepPercent) ? v : 0;
}
// Flips groups of one to four slots: mismatches, some of them in runs.
int Damage(SignalFrame& f, Rng& rng, int groups) {
  for (int g = 0; g < groups; ++g) {
    for (int k = rng.Below(kSlotCount), n = rng.Range(1, 4); n > 0 && k < kSlotCount; --n, ++k) {
      f.slots[k] = -f.slots[k];
    }
  }
  return groups;
}
SignalFrame Dense(Rng& rng) {
  SignalFrame f;
  FillRuns(f, rng, 0, kSlotCount - 1, rng.Pick({1, 2, 4, 16, 64}));
  return f;
}

const char* const kKinds[] = {"dense",    "sparse", "repeat",          "periodic",  "end runs",
                              "captured", "tiny",   "word boundaries", "odd values"};
struct Case {
  int kind = 0;
  SignalFrame reference, packet;
  int damage = 0;  // mismatch groups made on purpose
};

Case MakeFrames(Rng& rng, bool plainValuesOnly) {
  Case c;
  c.kind = rng.Below(plainValuesOnly ? 8 : 9);
  SignalFrame& ref = c.reference;
  SignalFrame& pkt = c.packet;
  switch (c.kind) {
    case 0:
      ref = Dense(rng);
      FillRuns(pkt, rng, rng.Below(kSlotCount), rng.Below(kSlotCount), rng.Pick({1, 3, 30}));
      break;
    case 1:
      ref = Dense(rng);
      pkt = Dense(rng);
      Thin(ref, rng, rng.Pick({1, 5, 20, 50, 90}));
      Thin(pkt, rng, rng.Pick({1, 5, 20, 50}));
      break;
    case 2:
      FillRuns(ref, rng, 0, rng.Range(100, kSlotCount - 1), rng.Range(2, 40));
      pkt = ref;
      pkt.ShiftBy(rng.Range(-340, 340));
      c.damage = Damage(pkt, rng, rng.Below(5));
      if (rng.Chance(30)) Thin(pkt, rng, rng.Pick({30, 80, 97}));
      if (rng.Chance(30)) Thin(ref, rng, rng.Pick({50, 95}));
      break;
    case 3: {
      const int period = rng.Range(2, 40), phase = rng.Below(period), from = rng.Below(kSlotCount);
      const int to = rng.Range(from, kSlotCount - 1);
      std::vector<std::int32_t> pattern(static_cast<std::size_t>(period));
      for (auto& v : pattern) v = rng.Chance(50) ? 1 : -1;
      for (int k = 0; k < kSlotCount; ++k) {
        ref.slots[k] = pattern[static_cast<std::size_t>(k % period)];
        if (k >= from && k <= to)
          pkt.slots[k] = pattern[static_cast<std::size_t>((k + phase) % period)];
      }
      c.damage = Damage(pkt, rng, rng.Below(3));
      break;
    }
    case 4: {  // a fit at +shift whose mismatches reach slot 1299
      ref = Dense(rng);
      pkt = ref;
      const int shift = rng.Chance(50) ? 0 : rng.Range(1, 324);
      pkt.ShiftBy(-shift);
      for (int k = kSlotCount - 1 - shift, n = rng.Range(1, 5); n > 0; --n, --k) pkt.slots[k] *= -1;
      c.damage = Damage(pkt, rng, rng.Below(2));
      break;
    }
    case 5: {
      const auto& all = test::CapturedPackets();
      std::vector<int> d =
          all[static_cast<std::size_t>(rng.Below(static_cast<int>(all.size())))].durationsUs;
      testing::Sampling sampling;
      sampling.windowMs = rng.Pick({130, 150, 200});
      sampling.leadIdleUs = rng.Range(500, 20000);
      sampling.tailIdleUs = rng.Range(1000, 30000);
      ref = testing::SampleCapture(d, sampling);
      for (int& x : d) x = x * rng.Range(95, 105) / 100;  // jitter of the repeat
      sampling.leadIdleUs = rng.Range(500, 20000);
      pkt = testing::SampleCapture(d, sampling);
      ref.Smooth();
      c.damage = Damage(pkt, rng, rng.Below(3));
      break;
    }
    case 6:
      ref = rng.Chance(80) ? Dense(rng) : SignalFrame{};
      for (int n = rng.Range(1, 3); n > 0; --n)
        pkt.slots[rng.Below(kSlotCount)] = rng.Chance(50) ? 1 : -1;
      break;
    case 7:  // short groups, longer ones only across 64-slot words, turned over and moved
      for (int k = rng.Below(8); k < kSlotCount; k += rng.Range(3, 12)) {
        for (int n = rng.Range(1, 2); n > 0 && k < kSlotCount; --n)
          ref.slots[k++] = rng.Chance(50) ? 1 : -1;
      }
      for (int n = rng.Range(1, 2); n > 0; --n) {
        const int end = 64 * rng.Range(1, 20);
        for (int k = end - rng.Range(1, 3); k < end + rng.Range(1, 3); ++k) ref.slots[k] = 1;
      }
      for (int k = 0; k < kSlotCount; ++k) pkt.slots[k] = -ref.slots[k];
      pkt.ShiftBy(rng.Chance(50) ? 64 * rng.Range(-5, 5) : rng.Range(-300, 300));
      break;
    default:  // values other than +1 and -1
      ref = Dense(rng);
      FillRuns(pkt, rng, rng.Below(kSlotCount), kSlotCount - 1, 8);
      for (int n = rng.Range(1, 4); n > 0; --n) {
        (rng.Chance(50) ? ref : pkt).slots[rng.Below(kSlotCount)] = rng.Pick({2, -2, 5, -9});
      }
  }
  return c;
}

// Runs check(index) on every hardware thread; the first failure stops the run.
std::string RunCases(std::int64_t count, const std::function<std::string(std::int64_t)>& check) {
  std::atomic<std::int64_t> next{firstCase};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::string failure;
  auto worker = [&] {
    for (std::int64_t i; !failed && (i = next++) < firstCase + count;) {
      if (std::string message = check(i); !message.empty() && !failed.exchange(true)) {
        std::lock_guard<std::mutex> lock(mutex);
        failure = "case " + std::to_string(i) + " (rerun with --seed=" + std::to_string(seed) +
                  " --first-case=" + std::to_string(i) + "): " + message;
      }
    }
  };
  std::vector<std::thread> threads(std::max(1u, std::thread::hardware_concurrency()));
  for (auto& t : threads) t = std::thread(worker);
  for (auto& t : threads) t.join();
  return failure;
}

// How often the cases reached each situation: with enough cases every one
// must occur, or the generator has drifted.
using Tally = std::vector<std::pair<std::string, std::atomic<std::int64_t>>>;
void Report(const Tally& tally, std::int64_t cases) {
  for (const auto& [name, count] : tally) {
    std::printf("  %-40s %lld of %lld\n", name.c_str(), static_cast<long long>(count.load()),
                static_cast<long long>(cases));
    if (cases >= 1000) {
      EXPECT_GT(count.load(), 0) << name;
    }
  }
}
Tally Named(const std::vector<std::string>& names) {
  Tally tally(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) tally[i].first = names[i];
  return tally;
}

TEST(Differential, AcceptPacketMatchesThePlainFormInEveryField) {
  std::vector<std::string> names = {"ignored (too few slots)",
                                    "copied over the reference",
                                    "merged",
                                    "not merged",
                                    "best score equal to the limit",
                                    "best score one above the limit",
                                    "best score reached by several trials",
                                    "best score 1300",
                                    "best score 0",
                                    "positive shift chosen"};
  for (const char* kind : kKinds) names.push_back(std::string("kind: ") + kind);
  Tally t = Named(names);
  const std::string failure = RunCases(fullCases, [&](std::int64_t index) -> std::string {
    Rng rng = CaseRng(index, 0);
    Case c = MakeFrames(rng, false);
    c.packet.minSlots = rng.Chance(80) ? rng.Range(-1, 2) : c.packet.CountFilled() - rng.Below(2);
    const int k = c.damage;
    const std::int32_t limit = rng.Chance(40)
                                   ? rng.Pick({k - 1, k, k + 1, 100 * k, 100 * k - 1})
                                   : rng.Pick({-1, 0, 1, 2, 3, 5, 100, 299, 300, 1299, 1300, 1301,
                                               kIntMax, -kIntMax - 1, rng.Below(2000)});
    FramePair fast, plain;
    for (FramePair* pair : {&fast, &plain}) {
      pair->reference = c.reference;
      pair->packet = c.packet;
      pair->acceptLimit = limit;
    }
    SignalFrame smoothed = c.packet;
    smoothed.Smooth();
    const auto search = testing::ReferenceAcceptPacket(plain);
    fast.AcceptPacket();
    const std::string where = std::string(kKinds[c.kind]) + ", limit " + std::to_string(limit);
    if (std::string d = testing::FrameDifference(fast.packet, plain.packet); !d.empty())
      return where + ": packet " + d;
    if (std::string d = testing::FrameDifference(fast.reference, plain.reference); !d.empty())
      return where + ": reference " + d;
    ++t[10 + static_cast<std::size_t>(c.kind)].second;
    if (!search) {
      ++t[plain.packet.accepted ? 1 : 0].second;
      return {};
    }
    const AlignmentResult got = FindBestShift(c.reference, smoothed), want = search->result;
    if (got.bestScore != want.bestScore || got.bestTrial != want.bestTrial) {
      return where + ": search " + std::to_string(got.bestScore) + "@" +
             std::to_string(got.bestTrial) + " vs " + std::to_string(want.bestScore) + "@" +
             std::to_string(want.bestTrial);
    }
    const bool seen[] = {plain.packet.accepted == 1,
                         plain.packet.accepted == 0,
                         want.bestScore == limit,
                         std::int64_t{want.bestScore} == std::int64_t{limit} + 1,
                         search->tiedTrials > 0 && (want.bestScore < kNoMatchScore),
                         want.bestScore == kNoMatchScore,
                         want.bestScore == 0,
                         (want.bestTrial > kShiftOffset)};
    for (std::size_t i = 0; i < std::size(seen); ++i) t[2 + i].second += seen[i];
    return {};
  });
  EXPECT_EQ(failure, "");
  Report(t, fullCases);
}

TEST(Differential, SingleTrialScoresMatchScoreOfAMovedCopy) {
  Tally t = Named({"stopped early below the bound", "scored in full",
                   "score with a closed run (x100)", "mismatch at slot 1299"});
  constexpr int kTrialsPerFrames = 8;
  const std::int64_t framePairs = (trialCases + kTrialsPerFrames - 1) / kTrialsPerFrames;
  const std::string failure = RunCases(framePairs, [&](std::int64_t index) -> std::string {
    Rng rng = CaseRng(index, 0x7A11);
    const Case c = MakeFrames(rng, true);
    const planes::PackedFrame reference = planes::Pack(c.reference);
    const planes::ShiftedPacket moved(planes::Pack(c.packet));
    SignalFrame scratch;
    for (int trial = 0; trial < kTrialsPerFrames; ++trial) {
      const int shift = rng.Chance(10) ? rng.Pick({planes::kMinShift, planes::kMaxShift, 0})
                                       : rng.Range(planes::kMinShift, planes::kMaxShift);
      scratch.CopySlotsFrom(c.packet);
      scratch.ShiftBy(shift);
      const std::int32_t expected = Score(c.reference, scratch, kRunTolerance);
      const std::int32_t full = planes::TrialScore(reference, moved, shift, kIntMax);
      const std::int32_t bound =
          rng.Pick({expected, expected + 1, expected - 1, 1, kNoMatchScore, rng.Below(3000)});
      const std::int32_t bounded = planes::TrialScore(reference, moved, shift, bound);
      if (full != expected || (expected < bound ? bounded != expected : bounded < bound)) {
        return std::string(kKinds[c.kind]) + ", shift " + std::to_string(shift) + ", bound " +
               std::to_string(bound) + ": " + std::to_string(full) + "/" + std::to_string(bounded) +
               " vs " + std::to_string(expected);
      }
      ++t[expected < bound ? 1 : 0].second;
      // Without a run counted, the score would differ only by the factor 100.
      t[2].second += Score(c.reference, scratch, kSlotCount) != expected;
      t[3].second += c.reference.slots[kSlotCount - 1] * scratch.slots[kSlotCount - 1] < 0;
    }
    return {};
  });
  EXPECT_EQ(failure, "");
  Report(t, framePairs * kTrialsPerFrames);
}

}  // namespace
}  // namespace vireo

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const char* value = std::strchr(argv[i], '=');
    const std::string name(argv[i], value ? value - argv[i] : std::strlen(argv[i]));
    std::int64_t* count = name == "--full-cases"    ? &vireo::fullCases
                          : name == "--trial-cases" ? &vireo::trialCases
                          : name == "--first-case"  ? &vireo::firstCase
                                                    : nullptr;
    if (value && count)
      *count = std::strtoll(value + 1, nullptr, 10);
    else if (value && name == "--seed")
      vireo::seed = std::strtoull(value + 1, nullptr, 10);
    else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  return RUN_ALL_TESTS();
}
