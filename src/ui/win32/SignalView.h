// The signal view: the strip at the top of the settings window that draws
// the reference picture and the latest packets slot by slot, with a ruler.
// It draws from a copy of the rows taken from the hand-over; the worker only
// ever asks it for a repaint, which returns at once.
#pragma once

#include <windows.h>

#include <array>

#include "ui/RowHandOver.h"
#include "ui/SignalRows.h"
#include "ui/SignalViewPlan.h"
#include "ui/win32/GdiObject.h"

namespace vireo {

class SignalView final : public RepaintTarget {
 public:
  explicit SignalView(RowHandOver& handOver);
  ~SignalView() override;

  // Takes over the static control and gives it the whole drawing's height.
  void Bind(HWND control);
  void SetViewOffset(std::int32_t offset);
  void SetViewWidth(std::int32_t width);
  // Any thread.
  void RequestRepaint() override;
  // Draws the whole strip onto dc, whose area is width by height pixels.
  void Draw(HDC dc, const SignalRows& rows, std::int32_t width, std::int32_t height);

 private:
  static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  void Paint();
  void Redraw() { ::InvalidateRect(hwnd_, nullptr, FALSE); }

  RowHandOver& handOver_;
  HWND hwnd_ = nullptr;
  std::array<GdiObject, 6> pens_;  // indexed by Pen
  GdiObject font_;
  GdiObject blackBrush_;
  ViewWindow window_;
  SignalRows rows_;  // the paint's own copy
};

}  // namespace vireo
