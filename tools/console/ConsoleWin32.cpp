#include <windows.h>

#include "Console.h"

namespace vireo::console {

namespace {

class Win32Console : public Console {
 public:
  explicit Win32Console(HANDLE handle) : handle_(handle) {}
  void Write(const std::u16string& text) override {
    // WriteConsoleW may take a long text in parts.
    const auto* at = reinterpret_cast<const wchar_t*>(text.data());
    for (DWORD left = static_cast<DWORD>(text.size()), written = 0; left > 0; left -= written) {
      if (!::WriteConsoleW(handle_, at, left, &written, nullptr) || written == 0) return;
      at += written;
    }
  }

 private:
  HANDLE handle_;  // the process's standard handle: not ours to close
};

}  // namespace

std::unique_ptr<Console> OpenConsole(StdStream which) {
  HANDLE handle =
      ::GetStdHandle(which == StdStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !::GetConsoleMode(handle, &mode)) {
    return nullptr;
  }
  return std::make_unique<Win32Console>(handle);
}

}  // namespace vireo::console
