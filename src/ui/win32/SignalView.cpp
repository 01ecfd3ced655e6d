#include "ui/win32/SignalView.h"

#include <commctrl.h>

#include "platform/win32/Cp1251.h"

namespace vireo {

namespace {
constexpr COLORREF kLabelColour = RGB(0, 255, 0);
constexpr COLORREF kMarkColour = RGB(255, 255, 0);
constexpr COLORREF kBandColour = RGB(0, 0, 0);
// "Courier" is a raster font: squeezed to five pixels a character it loses
// the right half of each digit. Its scalable sibling keeps the digits whole.
constexpr wchar_t kLabelFace[] = L"Courier New";

Rgb RgbOf(COLORREF colour) {
  return static_cast<Rgb>(GetRValue(colour)) << 16 | static_cast<Rgb>(GetGValue(colour)) << 8 |
         GetBValue(colour);
}
}  // namespace

SignalView::SignalView(RowHandOver& handOver) : handOver_(handOver) {
  font_ = GdiObject(::CreateFontW(13, 5, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, 0, 0,
                                  0, VARIABLE_PITCH | FF_ROMAN, kLabelFace));
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
  if (FitPicture(dc, client.right, client.bottom)) {
    // The last paint's texts may still wait in GDI's batch, over these bits.
    ::GdiFlush();
    DrawSignalPixels(image_, window_, rows_, RgbOf(::GetSysColor(COLOR_3DFACE)));
    DrawTexts();
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory_.Get(), 0, 0, SRCCOPY);
  }
  ::EndPaint(hwnd_, &ps);
}

bool SignalView::FitPicture(HDC dc, std::int32_t width, std::int32_t height) {
  if (memory_ && image_.width == width && image_.height == height) return true;
  memory_.Reset();
  picture_.Reset();
  image_ = {};
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as PixelImage lays its rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDc memory(::CreateCompatibleDC(dc));
  if (!bitmap || !memory || bits == nullptr) return false;
  ::SelectObject(memory.Get(), bitmap.Get());
  ::SelectObject(memory.Get(), font_.Get());
  ::SetBkColor(memory.Get(), kBandColour);
  ::SetBkMode(memory.Get(), OPAQUE);
  picture_ = std::move(bitmap);
  memory_ = std::move(memory);
  image_ = {static_cast<std::uint32_t*>(bits), width, height};
  return true;
}

void SignalView::DrawTexts() {
  HDC dc = memory_.Get();
  if (rows_.CodeMarks().empty()) {
    ::SetTextColor(dc, kLabelColour);
    ForEachLabel(window_, [dc](std::int32_t x, const std::string& text) {
      const std::wstring wide = ToWide(text);
      ::TextOutW(dc, x, view::kLabelTop, wide.c_str(), static_cast<int>(wide.size()));
    });
  } else {
    // The code by periods: its letters under the slots where their pairs
    // begin, in place of the slot numbers.
    ::SetTextColor(dc, kMarkColour);
    ForEachMark(window_, rows_.CodeMarks(), [dc](std::int32_t x, char letter) {
      const wchar_t wide = static_cast<wchar_t>(static_cast<unsigned char>(letter));
      ::TextOutW(dc, x, view::kLabelTop, &wide, 1);
    });
  }
}

}  // namespace vireo
