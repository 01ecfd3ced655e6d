// How soon the serial line's wait for a CTS edge wakes under Wine with the
// virtual receiver: opens COMn for edge wait, switches DTR on (which starts
// the recording again) and prints, for every wake that finds CTS changed, the
// microseconds since DTR went on and the new level. The moment DTR went on is
// known to within the microseconds of the first line ("dtr" and the time the
// switch took); scripts/idle-cost.sh compares the wakes with the recording.
//   edge-latency PORT EDGES
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/Win32SerialLine.h"

namespace {

long long Microseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to,
                       const LARGE_INTEGER& rate) {
  return (to.QuadPart - from.QuadPart) * 1000000 / rate.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: edge-latency PORT EDGES\n");
    return 2;
  }
  vireo::Win32SerialLine line;
  line.WantEdgeWait(true);
  // The port's settings already switch DTR on: off and on again restarts
  // the recording at a moment known here.
  if (!line.Open(std::atoi(argv[1])) || !line.SetDtr(false)) return 1;
  LARGE_INTEGER rate, before, on, now;
  QueryPerformanceFrequency(&rate);
  QueryPerformanceCounter(&before);
  const bool powered = line.SetDtr(true);
  QueryPerformanceCounter(&on);
  if (!powered || !line.StartEdgeWait()) return 1;
  std::printf("dtr %lld\n", Microseconds(before, on, rate));
  int level = line.ReadCts();
  for (int edges = std::atoi(argv[2]); edges > 0;) {
    // Nothing can interrupt this wait: a second without an edge is the end.
    if (!line.WaitForEdge(1000)) return 1;
    QueryPerformanceCounter(&now);
    const int seen = line.ReadCts();
    if (seen == level) continue;
    level = seen;
    --edges;
    std::printf("%lld %d\n", Microseconds(on, now, rate), level);
  }
  std::fflush(stdout);
  return 0;
}
