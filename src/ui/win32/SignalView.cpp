#include "ui/win32/SignalView.h"

#include <commctrl.h>

#include "platform/win32/Cp1251.h"

namespace vireo {

namespace {
constexpr COLORREF kColours[] = {
    RGB(0, 0, 0),   RGB(255, 255, 255), RGB(255, 0, 0),
    RGB(0, 255, 0), RGB(0, 0, 255),     RGB(255, 0, 255),
};
constexpr COLORREF kLabelColour = RGB(0, 255, 0);
constexpr COLORREF kMarkColour = RGB(255, 255, 0);
constexpr COLORREF kBandColour = RGB(0, 0, 0);
// "Courier" is a raster font: squeezed to five pixels a character it loses
// the right half of each digit. Its scalable sibling keeps the digits whole.
constexpr wchar_t kLabelFace[] = L"Courier New";

COLORREF ColourOf(Pen pen) { return kColours[static_cast<int>(pen)]; }
}  // namespace

SignalView::SignalView(RowHandOver& handOver) : handOver_(handOver) {
  for (std::size_t k = 0; k < pens_.size(); ++k) {
    pens_[k] = GdiObject(::CreatePen(PS_SOLID, 1, kColours[k]));
  }
  font_ = GdiObject(::CreateFontW(13, 5, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, 0, 0,
                                  0, VARIABLE_PITCH | FF_ROMAN, kLabelFace));
  blackBrush_ = GdiObject(::CreateSolidBrush(kBandColour));
}

SignalView::~SignalView() {
  if (hwnd_ != nullptr) ::RemoveWindowSubclass(hwnd_, &SignalView::Subclass, 0);
}

void SignalView::Bind(HWND control) {
  hwnd_ = control;
  ::SetWindowSubclass(control, &SignalView::Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
  // The drawing reaches further down than the control's template height.
  RECT r;
  ::GetWindowRect(control, &r);
  ::SetWindowPos(control, nullptr, 0, 0, r.right - r.left, view::kHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SignalView::SetViewOffset(std::int32_t offset) {
  window_.offset = offset;
  Redraw();
}

void SignalView::SetViewWidth(std::int32_t width) {
  window_.width = width;
  Redraw();
}

void SignalView::RequestRepaint() { ::InvalidateRect(hwnd_, nullptr, FALSE); }

LRESULT CALLBACK SignalView::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) {
  switch (message) {
    case WM_PAINT:
      reinterpret_cast<SignalView*>(self)->Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    default:
      return ::DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

void SignalView::Paint() {
  handOver_.CopyRows(rows_);
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  // Drawn off screen first, so that a strip repainted for every packet
  // does not flicker.
  HDC memory = ::CreateCompatibleDC(dc);
  GdiObject bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
  HGDIOBJ old = ::SelectObject(memory, bitmap.Get());
  Draw(memory, rows_, client.right, client.bottom);
  ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::EndPaint(hwnd_, &ps);
}

void SignalView::Draw(HDC dc, const SignalRows& rows, std::int32_t width, std::int32_t height) {
  // Whatever the drawing leaves uncovered shows the window's background.
  RECT all{0, 0, width, height};
  ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_3DFACE));
  ::SetTextColor(dc, kLabelColour);
  ::SetBkColor(dc, kBandColour);
  ::SetBkMode(dc, OPAQUE);

  HGDIOBJ oldPen = ::SelectObject(dc, pens_[static_cast<int>(Pen::Black)].Get());
  HGDIOBJ oldBrush = ::SelectObject(dc, blackBrush_.Get());
  ::Rectangle(dc, 0, view::kBandTop, window_.width, view::kBandBottom);

  ::SelectObject(dc, pens_[static_cast<int>(Pen::Green)].Get());
  ForEachTick(window_, [dc](std::int32_t x) {
    ::MoveToEx(dc, x, view::kBandTop, nullptr);
    ::LineTo(dc, x, view::kTickBottom);
  });
  HGDIOBJ oldFont = ::SelectObject(dc, font_.Get());
  if (rows.CodeMarks().empty()) {
    ForEachLabel(window_, [dc](std::int32_t x, const std::string& text) {
      const std::wstring wide = ToWide(text);
      ::TextOutW(dc, x, view::kLabelTop, wide.c_str(), static_cast<int>(wide.size()));
    });
  } else {
    // The code by periods: its letters under the slots where their pairs
    // begin, in place of the slot numbers.
    ::SetTextColor(dc, kMarkColour);
    ForEachMark(window_, rows.CodeMarks(), [dc](std::int32_t x, char letter) {
      const wchar_t wide = static_cast<wchar_t>(static_cast<unsigned char>(letter));
      ::TextOutW(dc, x, view::kLabelTop, &wide, 1);
    });
  }

  // A run of equal pens is one rectangle of three-pixel lines side by side.
  ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
  for (std::int32_t k = 0; k < SignalRows::kTraceRowCount; ++k) {
    const std::int32_t top = RowTop(k);
    ForEachRun(window_, rows.Row(k), [dc, top](std::int32_t x, std::int32_t columns, Pen pen) {
      ::SetDCBrushColor(dc, ColourOf(pen));
      ::PatBlt(dc, x, top, columns, view::kRowHeight, PATCOPY);
    });
  }
  ::SelectObject(dc, oldFont);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
}

}  // namespace vireo
