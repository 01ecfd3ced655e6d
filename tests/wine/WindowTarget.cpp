// A target for the window actions under Wine: three hidden top-level windows
// that append each key, command, system-command and close message they get
// to the file named by the first argument ("window message wParam lParam"),
// until a WM_APP message or 30 seconds end them.
#include <windows.h>

#include <cstdio>

namespace {
const wchar_t* const kTitles[] = {L"Untitled - Notepad", L"Безымянный - Блокнот", L"Ёлка"};
HWND windows[3];
FILE* out = nullptr;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_CLOSE:
      for (int i = 0; i < 3; ++i) {
        if (windows[i] == window) {
          std::fprintf(out, "%d %u %lld %lld\n", i, message, static_cast<long long>(w),
                       static_cast<long long>(l));
        }
      }
      std::fflush(out);
      return 0;
    case WM_APP:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, w, l);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !(out = std::fopen(argv[1], "w"))) return 2;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.lpszClassName = L"VireoWindowTarget";
  RegisterClassW(&windowClass);
  for (int i = 0; i < 3; ++i) {
    windows[i] = CreateWindowExW(0, windowClass.lpszClassName, kTitles[i], WS_OVERLAPPEDWINDOW, 0,
                                 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  }
  SetTimer(nullptr, 0, 30000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) break;
    DispatchMessageW(&message);
  }
  std::fclose(out);
  return 0;
}
