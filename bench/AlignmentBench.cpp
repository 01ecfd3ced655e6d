// The alignment search, product against the plain trial-by-trial form, on the
// same inputs: worst cases where no early trial fits and all 650 trials run,
// and a captured packet against its moved, slightly damaged repeat. After the
// run it prints each input's median times and their ratio; run it with
// --benchmark_repetitions=N for medians over N repetitions.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceAlignment.h"
#include "SignalTestSupport.h"
#include "signal/Alignment.h"
#include "support/CaseFile.h"

namespace vireo {
namespace {

struct Input {
  const char* name;
  SignalFrame reference;
  SignalFrame packet;
};

SignalFrame RandomLevels(std::uint32_t seed, int step) {
  SignalFrame frame;
  for (int k = 0; k < kSlotCount; k += step) {
    seed = seed * 1664525u + 1013904223u;
    frame.slots[k] = (seed >> 31) != 0 ? 1 : -1;
  }
  return frame;
}

std::vector<Input> Inputs() {
  std::vector<Input> inputs;
  // The packet fits only at the last trial, shift +324.
  Input late{"worst: fit at the last trial", RandomLevels(1, 1), {}};
  late.packet = late.reference;
  late.packet.ShiftBy(-324);
  inputs.push_back(late);
  inputs.push_back({"worst: unrelated dense frames", RandomLevels(2, 1), RandomLevels(3, 1)});
  // Every third slot: no run of mismatches can form, so a trial stops only
  // when its count of mismatches reaches the best score.
  inputs.push_back({"worst: every third slot, no runs", RandomLevels(4, 1), RandomLevels(5, 3)});

  // A held button: the repeat's window opened 2.7 ms closer to the burst, its
  // marks come out 15 us longer and two slots are flipped; both smoothed as
  // AcceptPacket does.
  const test::Captured& captured = test::CapturedPackets()[1];
  testing::Sampling sampling;
  sampling.leadIdleUs = 8000;
  Input typical{
      "typical: captured repeat", testing::SampleCapture(captured.durationsUs, sampling), {}};
  std::vector<int> jittered = captured.durationsUs;
  for (std::size_t i = 0; i < jittered.size(); ++i) jittered[i] += i % 2 == 0 ? 15 : -15;
  sampling.leadIdleUs = 5300;
  typical.packet = testing::SampleCapture(jittered, sampling);
  typical.packet.slots[57] = -typical.packet.slots[57];
  typical.packet.slots[58] = -typical.packet.slots[58];
  typical.reference.Smooth();
  typical.packet.Smooth();
  inputs.push_back(typical);
  return inputs;
}

// Keeps the median real time of each benchmark for the summary.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (median || single) {
        medians_[run.run_name.function_name] = {run.GetAdjustedRealTime(),
                                                run.GetAdjustedCPUTime()};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::pair<double, double>> medians_;  // real, CPU
};

}  // namespace
}  // namespace vireo

int main(int argc, char** argv) {
  using namespace vireo;
  const std::vector<Input> inputs = Inputs();
  for (const Input& input : inputs) {
    const AlignmentResult fast = FindBestShift(input.reference, input.packet);
    const AlignmentResult plain =
        testing::ReferenceFindBestShift(input.reference, input.packet).result;
    std::printf("%-34s best score %d at trial %d (plain form: %d at %d)\n", input.name,
                fast.bestScore, fast.bestTrial, plain.bestScore, plain.bestTrial);
    benchmark::RegisterBenchmark((std::string(input.name) + "/reference").c_str(),
                                 [&input](benchmark::State& state) {
                                   for (auto _ : state) {
                                     benchmark::DoNotOptimize(testing::ReferenceFindBestShift(
                                         input.reference, input.packet));
                                   }
                                 })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(
        (std::string(input.name) + "/product").c_str(),
        [&input](benchmark::State& state) {
          for (auto _ : state) {
            benchmark::DoNotOptimize(FindBestShift(input.reference, input.packet));
          }
        })
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  // Each benchmark is reported in microseconds.
  std::printf("\nmedians in us %-20s %10s %10s %7s %10s %10s %7s\n", "", "real: ref", "product",
              "ratio", "CPU: ref", "product", "ratio");
  for (const Input& input : inputs) {
    const auto ref = reporter.medians_.find(std::string(input.name) + "/reference");
    const auto prod = reporter.medians_.find(std::string(input.name) + "/product");
    if (ref == reporter.medians_.end() || prod == reporter.medians_.end()) continue;
    const auto [refReal, refCpu] = ref->second;
    const auto [prodReal, prodCpu] = prod->second;
    std::printf("%-34s %10.1f %10.2f %6.0fx %10.1f %10.2f %6.0fx\n", input.name, refReal, prodReal,
                refReal / prodReal, refCpu, prodCpu, refCpu / prodCpu);
  }
  return 0;
}
