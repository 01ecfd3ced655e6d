#include "actions/WindowActions.h"

#include "actions/ActionMessages.h"
#include "text/Cp1251.h"

namespace vireo {

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
