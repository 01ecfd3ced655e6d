#include "actions/WindowActions.h"

#include "actions/ActionMessages.h"

namespace vireo {

namespace {
// The capitals of the Windows-1251 letters 0x80 to 0xBF that are not in the
// regular runs a-z and а-я; 0 where the byte is no small letter.
constexpr unsigned char kUpperHigh[64] = {
    0,    0, 0,    0x81, 0,    0, 0, 0, 0,    0, 0,    0, 0,    0,    0,    0,     // 0x80
    0x80, 0, 0,    0,    0,    0, 0, 0, 0,    0, 0x8A, 0, 0x8C, 0x8D, 0x8E, 0x8F,  // 0x90
    0,    0, 0xA1, 0,    0,    0, 0, 0, 0,    0, 0,    0, 0,    0,    0,    0,     // 0xA0
    0,    0, 0,    0xB2, 0xA5, 0, 0, 0, 0xA8, 0, 0xAA, 0, 0xA3, 0,    0xBD, 0xAF,  // 0xB0
};
}  // namespace

std::string UpperCase1251(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') {
      c = static_cast<char>(byte - 0x20);
    } else if (byte >= 0xE0) {
      c = static_cast<char>(byte - 0x20);
    } else if (byte >= 0x80 && byte < 0xC0 && kUpperHigh[byte - 0x80] != 0) {
      c = static_cast<char>(kUpperHigh[byte - 0x80]);
    }
  }
  return text;
}

void WindowActions::PostToWindows(const std::string& pattern, const WindowMessage& message) {
  if (pattern.empty()) {
    desktop_.Broadcast(message);
    log_.AppendLog(msg::kBroadcast);
    return;
  }
  const std::string wanted = UpperCase1251(pattern);
  desktop_.EnumerateWindows([&](WindowId window, const std::string& title) {
    const std::string upper = UpperCase1251(title);
    if (upper.find(wanted) == std::string::npos) return;
    desktop_.Post(window, message);
    log_.AppendLog(msg::kSentPrefix + upper + " ");
  });
}

void WindowActions::LaunchProgram(const std::string& file, const std::string& directory,
                                  const std::string& parameters) {
  if (desktop_.ShellOpen(file, directory, parameters)) return;
  log_.AppendLog(msg::kLaunchError);
  log_.AppendLog(msg::kLaunchFilePrefix + file);
  log_.AppendLog(msg::kLaunchDirectoryPrefix + directory);
  log_.AppendLog(msg::kLaunchParametersPrefix + parameters);
}

void WindowActions::PauseFor(std::int32_t ms) { desktop_.Pause(ms < 0 ? 0 : ms); }

void WindowActions::HidePointer() {
  const ScreenRect rect = desktop_.DesktopRect();
  desktop_.SetPointer(rect.right, rect.bottom);
}

}  // namespace vireo
