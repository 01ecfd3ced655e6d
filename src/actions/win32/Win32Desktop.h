// The program and window actions' outside effects on Windows: top-level
// windows through EnumWindows, posted messages, the shell's "open", Sleep and
// the pointer. Texts cross in UTF-16 (the wide calls).
#pragma once

#include "actions/Desktop.h"

namespace vireo {

class Win32Desktop final : public Desktop {
 public:
  void Sleep(std::int32_t ms) override;
  void EnumerateWindows(
      const std::function<void(WindowId, const std::string& title)>& step) override;
  void Post(WindowId window, const WindowMessage& message) override;
  void Broadcast(const WindowMessage& message) override;
  bool ShellOpen(const std::string& file, const std::string& directory,
                 const std::string& parameters) override;
  ScreenRect DesktopRect() override;
  void SetPointer(std::int32_t x, std::int32_t y) override;
};

}  // namespace vireo
