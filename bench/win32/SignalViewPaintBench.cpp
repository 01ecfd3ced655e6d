// How long one paint of a full signal view takes on Windows (or Wine): all
// 20 rows filled with slot texts that change pen at nearly every column, the
// view as wide as the settings window, repainted through the real window.
//   vireo-paint-bench [WIDTH [PAINTS]]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/RowHandOver.h"
#include "ui/win32/SignalView.h"

int main(int argc, char** argv) {
  const int width = argc > 1 ? std::atoi(argv[1]) : 750;
  const int paints = argc > 2 ? std::atoi(argv[2]) : 200;
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

  LARGE_INTEGER rate, start, end;
  ::QueryPerformanceFrequency(&rate);
  ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ::QueryPerformanceCounter(&start);
  for (int i = 0; i < paints; ++i) {
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  ::QueryPerformanceCounter(&end);
  const double us = (end.QuadPart - start.QuadPart) * 1e6 / rate.QuadPart / paints;
  std::printf("full signal view, %d columns x 20 rows: %.0f us per paint (%d paints)\n", width, us,
              paints);
  handOver.Detach();
  ::DestroyWindow(frame);
  return 0;
}
