#include "actions/win32/Win32Desktop.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/win32/Cp1251.h"
#include "platform/win32/UniqueHandle.h"

namespace vireo {

namespace {
using Step = std::function<void(WindowId, const std::string&)>;

// A title of at most 999 characters, as a buffer of 1000 holds.
constexpr int kTitleBuffer = 1000;

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
  wchar_t title[kTitleBuffer] = {};
  const int length = ::GetWindowTextW(window, title, kTitleBuffer);
  (*reinterpret_cast<const Step*>(context))(reinterpret_cast<WindowId>(window),
                                            FromWide(std::wstring(title, length > 0 ? length : 0)));
  return TRUE;
}

// The parameters are 32-bit in the configuration; negative ones widen with
// their sign, as a 32-bit long does.
void PostTo(HWND window, const WindowMessage& message) {
  ::PostMessageW(window, message.message,
                 static_cast<WPARAM>(static_cast<LONG_PTR>(message.wParam)),
                 static_cast<LPARAM>(message.lParam));
}
}  // namespace

void Win32Desktop::Sleep(std::int32_t ms) { ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

void Win32Desktop::EnumerateWindows(const Step& step) {
  ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&step));
}

void Win32Desktop::Post(WindowId window, const WindowMessage& message) {
  PostTo(reinterpret_cast<HWND>(window), message);
}

void Win32Desktop::Broadcast(const WindowMessage& message) { PostTo(HWND_BROADCAST, message); }

bool Win32Desktop::ShellOpen(const std::string& file, const std::string& directory,
                             const std::string& parameters) {
  const std::wstring wideFile = ToWide(file), wideDirectory = ToWide(directory),
                     wideParameters = ToWide(parameters);
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  // No error box: a failure is reported in the log, and a modal box would
  // stop the user-interface thread until someone clicks it away.
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  request.lpVerb = L"open";
  request.lpFile = wideFile.c_str();
  request.lpParameters = wideParameters.c_str();
  request.lpDirectory = wideDirectory.c_str();
  request.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&request)) return false;
  // The started program is not waited for: its handle goes at once.
  UniqueKernelHandle process(request.hProcess);
  return true;
}

ScreenRect Win32Desktop::DesktopRect() {
  RECT rect{};
  ::GetWindowRect(::GetDesktopWindow(), &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void Win32Desktop::SetPointer(std::int32_t x, std::int32_t y) { ::SetCursorPos(x, y); }

}  // namespace vireo
