// Cost of one capture step in the receiving state on a serial line that costs
// nothing, against two bare reads of the same counter: what the sampling loop
// adds beyond the clock it cannot do without.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "capture/CaptureEngine.h"

namespace {

using namespace vireo;

std::int64_t MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// The machine's monotonic clock as the high-level counter; sleeps are skipped
// so that the start-up costs no time.
class MonotonicClock : public ClockHardware {
 public:
  std::int64_t HighLevelCount() override { return MonotonicNs(); }
  std::int64_t HighLevelFrequency() override { return 1'000'000'000; }
  std::int64_t LowLevelCount() override { return 0; }
  void Sleep(std::int32_t) override {}
};

// CTS on for the receiver check, then held off: a packet that never ends.
// With toggleEvery, the level changes every that many reads after the
// packet's start, as a handset's bursts and pauses would.
class FreeLine : public SerialLine {
 public:
  explicit FreeLine(long toggleEvery = 0) : toggleEvery_(toggleEvery) {}
  bool Open(std::int32_t) override { return open_ = true; }
  bool SetDtr(bool) override { return true; }
  bool SetRts(bool) override { return true; }
  int ReadCts() override {
    const long n = reads_++;
    if (n == 0) return 1;
    return toggleEvery_ > 0 && n > kSettle ? static_cast<int>(n / toggleEvery_ % 2) : 0;
  }
  bool Close() override {
    open_ = false;
    return true;
  }
  bool IsOpen() const override { return open_; }

 private:
  static constexpr long kSettle = 1000;  // reads held off, so that the packet starts
  bool open_ = false;
  long reads_ = 0;
  long toggleEvery_;
};

class NoProcess : public ProcessControl {
 public:
  bool SetPriorityClass(PriorityClass) override { return true; }
  bool StartTimeCriticalThread(std::function<void()>) override { return false; }
};

void BM_TwoCounterReads(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(MonotonicNs());
    benchmark::DoNotOptimize(MonotonicNs());
  }
}
BENCHMARK(BM_TwoCounterReads);

constexpr char kSettings[] =
    "[CONFIG]\nTIMER_TYPE=1\nPACKET_SLEEP=100000\nSLEEP_TIMEBIG=1\n"
    "SLEEP_TIMESMALL=1\nPACKET_STOP_PAUSE=8\nPACKET_STOP_VALUE=1\n"
    "PACKET_START_PAUSE=1\nPACKET_START_VALUE=0\nBUFFER_SIZE=130\n"
    "ADDPRECISION=50\nPACKET_MAX=180\nPACKET_MIN=140\n"
    "PACKET_VALID=20\n[COM]\nPort=1\n";
// The opt-in settings (the idle wait aside): the packet starts on the first
// sample of a burst and the code is timed from the edges.
constexpr char kPeriodSettings[] =
    "[CONFIG]\nTIMER_TYPE=1\nPACKET_SLEEP=100000\nSLEEP_TIMEBIG=1\n"
    "SLEEP_TIMESMALL=1\nPACKET_STOP_US=8000\nPACKET_STOP_VALUE=1\n"
    "PACKET_START_US=0\nPACKET_START_VALUE=0\nBUFFER_SIZE=130\n"
    "ADDPRECISION=50\nCODE_PERIODS=1500,3000\nCODE_LONG_BURST=300\n"
    "PACKET_VALID=20\n[COM]\nPort=1\n";

// One step of the receiving state: args are the settings (0 the ratio code,
// 1 the opt-in ones) and how many reads a level lasts (0: for ever). With
// levels that change, every change stores its time; the store is kept from
// filling its fixed array, so that every change in the run pays for it.
void BM_CaptureStepReceiving(benchmark::State& state) {
  auto folder = std::filesystem::temp_directory_path() / "vireo-bench";
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::ofstream("VIREO.INI") << (state.range(0) == 0 ? kSettings : kPeriodSettings);
  MonotonicClock clock;
  FreeLine line(static_cast<long>(state.range(1)));
  NoProcess process;
  CaptureEngine engine(line, clock, process);
  if (!engine.RunStartUp()) {
    state.SkipWithError("start-up failed");
    return;
  }
  while (engine.State().Get() != kReceiving) engine.CaptureStep();
  PacketEdges& edges = engine.Frames().packetEdges;
  for (auto _ : state) {
    engine.CaptureStep();
    if (edges.count == PacketEdges::kMaxEdges) edges.count = 0;
  }
  if (engine.State().Get() != kReceiving) state.SkipWithError("left the receiving state");
}
BENCHMARK(BM_CaptureStepReceiving)->Args({0, 0})->Args({0, 8})->Args({1, 0})->Args({1, 8});

}  // namespace

BENCHMARK_MAIN();
