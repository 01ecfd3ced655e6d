// How long one paint of a full signal view takes on Windows (or Wine): all
// 20 rows filled with slot texts that change pen at nearly every column, the
// view as wide as the settings window, repainted through the real window.
// Each paint is timed on its own and the median reported, so that a machine
// busy with other work for part of the run moves the figure little. The
// ruler once with its slot numbers, once with a code's letters under it.
//   vireo-paint-bench [WIDTH [PAINTS]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/RowHandOver.h"
#include "ui/win32/SignalView.h"

namespace {

struct Timing {
  double median = 0;
  double fastest = 0;
};

Timing TimePaints(HWND control, int paints) {
  LARGE_INTEGER rate;
  ::QueryPerformanceFrequency(&rate);
  // The first paint sets up what later paints reuse.
  ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  std::vector<double> us(paints);
  for (double& each : us) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::QueryPerformanceCounter(&end);
    each = (end.QuadPart - start.QuadPart) * 1e6 / rate.QuadPart;
  }
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us.front()};
}

}  // namespace

int main(int argc, char** argv) {
  const int width = argc > 1 ? std::atoi(argv[1]) : 750;
  const int paints = std::max(argc > 2 ? std::atoi(argv[2]) : 200, 1);
  HWND frame = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, width, 100,
                                 nullptr, nullptr, nullptr, nullptr);
  HWND control = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, width, 84, frame,
                                   nullptr, nullptr, nullptr);
  vireo::RowHandOver handOver;
  vireo::SignalView view(handOver);
  view.Bind(control);
  handOver.Attach(&view);
  view.SetViewWidth(width);
  // The worst case for the drawing: the pen changes at almost every column.
  std::string row = "+++1+++";
  const char cycle[] = "10 _10";
  for (int s = 0; s < 1300; ++s) row += cycle[s % 6];
  for (int k = 0; k < vireo::SignalRows::kTraceRowCount; ++k) handOver.AddTraceRow(row);
  handOver.SetReferenceRow(row);

  const Timing numbers = TimePaints(control, paints);
  // A letter every ten slots: more than the densest handset's code shows.
  std::string marks(1300, ' ');
  for (std::size_t s = 0; s < marks.size(); s += 10) marks[s] = "abcAB"[s / 10 % 5];
  handOver.SetCodeMarks(marks);
  const Timing letters = TimePaints(control, paints);

  std::printf("full signal view, %d columns x 20 rows, %d paints each:\n", width, paints);
  std::printf("  slot numbers: median %.0f us per paint, fastest %.0f us\n", numbers.median,
              numbers.fastest);
  std::printf("  code letters: median %.0f us per paint, fastest %.0f us\n", letters.median,
              letters.fastest);
  handOver.Detach();
  ::DestroyWindow(frame);
  return 0;
}
