// vireo-robot drives Vireo's windows from outside, as a person at the
// screen would, for the end-to-end test and the demo. It runs its commands
// in order and stops at the first that fails (exit status 1):
//   wait TITLE MS         until a top-level window has exactly this title
//   gone TITLE MS         until no window has it
//   syscommand TITLE ID   posts WM_SYSCOMMAND
//   click TITLE ID        posts BM_CLICK to control ID
//   close TITLE           posts WM_CLOSE
//   text TITLE ID         prints the control's text (ID 0: the window's)
//   check TITLE ID        prints the check box's state
//   settext TITLE ID TEXT sets the control's text (a combo box: its edit box)
//   window TITLE          prints "caption=0|1 topmost=0|1 x y width height"
//   lamp TITLE            prints the colour of the title bar's icon: green, red or none
//   pixels TITLE ID X,Y...  prints the screen colours (RRGGBB) at points of a control
//   scan TITLE ID Y X0 X1   prints each colour of that pixel row of a control, with its count
//   caption TITLE 0|1 MS    until the title bar is gone (0) or back (1); prints
//                           "caption=.. topmost=.. text" with control 1004's text
//   move TITLE X Y        moves the window
//   sleep MS
//   marker FILE           writes FILE (a program for OPEN to start)
//   show TITLE FILE       opens a window with that title; writes FILE when it is closed
// Titles are UTF-8 on the command line and in the output. Messages are
// posted, never sent, and texts read with a timeout, so that a hung target
// cannot hang the robot.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  std::string out(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr),
                  '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                        static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int Fail(const std::wstring& what) {
  std::fprintf(stderr, "robot: %s\n", Utf8(what).c_str());
  return 1;
}

HWND Find(const std::wstring& title) { return ::FindWindowW(nullptr, title.c_str()); }

bool WaitFor(const std::wstring& title, int ms, bool present) {
  for (int waited = 0;; waited += 50) {
    if ((Find(title) != nullptr) == present) return true;
    if (waited >= ms) return false;
    ::Sleep(50);
  }
}

HWND Target(const std::wstring& title, int id) {
  HWND window = Find(title);
  return window != nullptr && id != 0 ? ::GetDlgItem(window, id) : window;
}

std::string Hex(COLORREF c) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// The small icon sits at the left end of the title bar: count its clearly
// green and clearly red pixels there.
std::string LampColour(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  HDC screen = ::GetDC(nullptr);
  int green = 0, red = 0;
  for (int y = r.top; y < r.top + 24; ++y) {
    for (int x = r.left; x < r.left + 24; ++x) {
      const COLORREF c = ::GetPixel(screen, x, y);
      if (GetGValue(c) > 150 && GetRValue(c) < 100 && GetBValue(c) < 100) ++green;
      if (GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100) ++red;
    }
  }
  ::ReleaseDC(nullptr, screen);
  if (green > 20 && green > red) return "green";
  if (red > 20) return "red";
  return "none";
}

std::string WindowLine(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  const LONG ex = ::GetWindowLongW(window, GWL_EXSTYLE);
  char line[128];
  std::snprintf(line, sizeof line, "caption=%d topmost=%d %ld %ld %ld %ld",
                (style & WS_CAPTION) == WS_CAPTION, (ex & WS_EX_TOPMOST) != 0, r.left, r.top,
                r.right - r.left, r.bottom - r.top);
  return line;
}

std::string TextOf(HWND window) {
  std::wstring text(20000, L'\0');
  DWORD_PTR length = 0;
  if (window == nullptr ||
      !::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &length)) {
    return "?";
  }
  text.resize(length);
  return Utf8(text);
}

LRESULT CALLBACK HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool WriteMarker(const std::wstring& file) {
  FILE* f = _wfopen(file.c_str(), L"w");
  if (f == nullptr) return false;
  std::fputs("done\n", f);
  return std::fclose(f) == 0;
}

// A plain window that a CLOSE action can find by its title.
bool ShowWindowUntilClosed(const std::wstring& title, const std::wstring& file) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HelperProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VireoRobotHelper";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowW(wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                600, 20, 300, 120, nullptr, nullptr, wc.hInstance, nullptr);
  if (window == nullptr) return false;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return WriteMarker(file);
}

int Run(const std::vector<std::wstring>& a) {
  for (std::size_t i = 0; i < a.size();) {
    const std::wstring& c = a[i];
    auto arg = [&](std::size_t k) -> const std::wstring& {
      static const std::wstring none;
      return i + k < a.size() ? a[i + k] : none;
    };
    auto number = [&](std::size_t k) { return std::wcstol(arg(k).c_str(), nullptr, 10); };
    if (c == L"wait" || c == L"gone") {
      if (!WaitFor(arg(1), number(2), c == L"wait"))
        return Fail(c + L" " + arg(1) + L": timed out");
      i += 3;
    } else if (c == L"syscommand" || c == L"click" || c == L"close") {
      const bool click = c == L"click";
      HWND target = Target(arg(1), click ? number(2) : 0);
      if (target == nullptr) return Fail(c + L": no " + arg(1));
      if (c == L"syscommand") ::PostMessageW(target, WM_SYSCOMMAND, number(2), 0);
      if (click) ::PostMessageW(target, BM_CLICK, 0, 0);
      if (c == L"close") ::PostMessageW(target, WM_CLOSE, 0, 0);
      i += c == L"close" ? 2 : 3;
    } else if (c == L"text" || c == L"check") {
      HWND target = Target(arg(1), number(2));
      if (target == nullptr) return Fail(c + L": no " + arg(1));
      if (c == L"check") {
        DWORD_PTR state = 0;
        ::SendMessageTimeoutW(target, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
        Print(std::to_string(state));
      } else {
        Print(TextOf(target));
      }
      i += 3;
    } else if (c == L"settext") {
      HWND target = Target(arg(1), number(2));
      if (target == nullptr) return Fail(c + L": no " + arg(1));
      DWORD_PTR done = 0;
      ::SendMessageTimeoutW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg(3).c_str()),
                            SMTO_ABORTIFHUNG, 2000, &done);
      i += 4;
    } else if (c == L"window" || c == L"lamp") {
      HWND window = Find(arg(1));
      if (window == nullptr) return Fail(c + L": no " + arg(1));
      Print(c == L"lamp" ? LampColour(window) : WindowLine(window));
      i += 2;
    } else if (c == L"caption") {
      const bool wanted = number(2) != 0;
      for (int waited = 0;; waited += 20) {
        HWND window = Find(arg(1));
        if (window == nullptr) return Fail(L"caption: no " + arg(1));
        const bool present = (::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
        if (present == wanted) {
          // The style changes first and the placement right after it.
          ::Sleep(100);
          Print(WindowLine(window) + " " + TextOf(::GetDlgItem(window, 1004)));
          break;
        }
        if (waited >= number(3)) return Fail(L"caption: timed out");
        ::Sleep(20);
      }
      i += 4;
    } else if (c == L"scan") {
      HWND target = Target(arg(1), number(2));
      if (target == nullptr) return Fail(L"scan: no " + arg(1));
      POINT origin{0, 0};
      ::ClientToScreen(target, &origin);
      HDC screen = ::GetDC(nullptr);
      std::vector<std::pair<COLORREF, int>> seen;
      for (int x = number(4); x < number(5); ++x) {
        const COLORREF colour = ::GetPixel(screen, origin.x + x, origin.y + number(3));
        auto it =
            std::find_if(seen.begin(), seen.end(), [&](auto& s) { return s.first == colour; });
        if (it == seen.end()) {
          seen.push_back({colour, 1});
        } else {
          ++it->second;
        }
      }
      ::ReleaseDC(nullptr, screen);
      std::string line;
      for (const auto& [colour, count] : seen) {
        if (!line.empty()) line += ' ';
        line += Hex(colour) + ":" + std::to_string(count);
      }
      Print(line);
      i += 6;
    } else if (c == L"pixels") {
      HWND target = Target(arg(1), number(2));
      if (target == nullptr) return Fail(L"pixels: no " + arg(1));
      POINT origin{0, 0};
      ::ClientToScreen(target, &origin);
      HDC screen = ::GetDC(nullptr);
      std::string line;
      std::size_t k = 3;
      for (; i + k < a.size() && a[i + k].find(L',') != std::wstring::npos; ++k) {
        const int x = std::wcstol(a[i + k].c_str(), nullptr, 10);
        const int y = std::wcstol(a[i + k].c_str() + a[i + k].find(L',') + 1, nullptr, 10);
        if (!line.empty()) line += ' ';
        line += Hex(::GetPixel(screen, origin.x + x, origin.y + y));
      }
      ::ReleaseDC(nullptr, screen);
      Print(line);
      i += k;
    } else if (c == L"move") {
      HWND window = Find(arg(1));
      if (window == nullptr) return Fail(L"move: no " + arg(1));
      ::SetWindowPos(window, nullptr, number(2), number(3), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      i += 4;
    } else if (c == L"sleep") {
      ::Sleep(number(1));
      i += 2;
    } else if (c == L"marker") {
      if (!WriteMarker(arg(1))) return Fail(L"marker: cannot write " + arg(1));
      i += 2;
    } else if (c == L"show") {
      if (!ShowWindowUntilClosed(arg(1), arg(2))) return Fail(L"show: failed");
      i += 3;
    } else {
      return Fail(L"unknown command " + c);
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
