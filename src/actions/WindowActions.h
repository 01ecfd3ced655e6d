// The program and window actions: messages posted to the windows whose title
// holds a fragment (or to all of them), programs and documents opened through
// the shell, the PAUSE sleep and the pointer sent to the screen's corner.
#pragma once

#include <cstdint>
#include <string>

#include "actions/Desktop.h"
#include "capture/LogSink.h"

namespace vireo {

class WindowActions {
 public:
  WindowActions(Desktop& desktop, LogSink& log) : desktop_(desktop), log_(log) {}

  // An empty pattern broadcasts; otherwise every top-level window whose
  // upper-cased title contains the upper-cased pattern gets the message.
  void PostToWindows(const std::string& pattern, const WindowMessage& message);
  void LaunchProgram(const std::string& file, const std::string& directory,
                     const std::string& parameters);
  // A negative count sleeps 0 ms: the platform's sleep would take it as an
  // almost endless unsigned count.
  void PauseFor(std::int32_t ms);
  void HidePointer();

 private:
  Desktop& desktop_;
  LogSink& log_;
};

}  // namespace vireo
