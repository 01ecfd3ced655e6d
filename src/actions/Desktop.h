// The outside effects of the program and window actions: the top-level
// windows and their titles, posted messages, the shell, sleeping and the
// pointer. Win32 implements it for real; the replay tool reports instead.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ClockHardware.h"

namespace vireo {

using WindowId = std::uintptr_t;

struct WindowMessage {
  std::uint32_t message = 0;
  std::int32_t wParam = 0;
  std::int32_t lParam = 0;
};

inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;

struct ScreenRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Sleep (from Sleeper) is the user-interface thread's plain pause, such as
// the queue's pause after a push.
class Desktop : public Sleeper {
 public:
  // Runs step for every top-level window, hidden ones included, with its
  // title in Windows-1251 (at most 999 bytes; empty when unreadable).
  virtual void EnumerateWindows(
      const std::function<void(WindowId, const std::string& title)>& step) = 0;
  // Queues a message without waiting; failures are not reported.
  virtual void Post(WindowId window, const WindowMessage& message) = 0;
  virtual void Broadcast(const WindowMessage& message) = 0;
  // The shell's "open" of a file or program; false when the shell refused.
  // Does not wait for, nor keep, the started process.
  virtual bool ShellOpen(const std::string& file, const std::string& directory,
                         const std::string& parameters) = 0;
  // The PAUSE action's sleep.
  virtual void Pause(std::int32_t ms) { Sleep(ms); }
  // Right and bottom edges exclusive.
  virtual ScreenRect DesktopRect() = 0;
  virtual void SetPointer(std::int32_t x, std::int32_t y) = 0;
};

}  // namespace vireo
