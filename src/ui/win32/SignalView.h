// The signal view: the strip at the top of the settings window that draws
// the reference picture and the latest packets slot by slot, with a ruler.
// It draws from a copy of the rows taken from the hand-over; the worker only
// ever asks it for a repaint, which returns at once.
#pragma once

#include <windows.h>

#include "ui/RowHandOver.h"
#include "ui/SignalPixels.h"
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

 private:
  static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  void Paint();
  void Redraw() { ::InvalidateRect(hwnd_, nullptr, FALSE); }
  // A picture of the client's size, made anew only when that size changes.
  bool FitPicture(HDC dc, std::int32_t width, std::int32_t height);
  void DrawTexts();

  RowHandOver& handOver_;
  HWND hwnd_ = nullptr;
  GdiObject font_;
  ViewWindow window_;
  SignalRows rows_;  // the paint's own copy
  // The off-screen picture: a DIB section whose pixels are written directly,
  // in a memory DC that keeps it and the font selected. The DC comes after
  // the bitmap and the font so that it is deleted before them.
  GdiObject picture_;
  MemoryDc memory_;
  PixelImage image_;
};

}  // namespace vireo
