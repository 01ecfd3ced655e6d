// What the action dispatcher asks of the main window: the caption's text and
// mode, the run-state lamp in the title bar and the window's end. The Win32
// main window implements it; tests and the replay tool record the calls.
#pragma once

#include <string>

namespace vireo {

class CaptionSurface {
 public:
  virtual ~CaptionSurface() = default;
  // Text in Windows-1251; does not switch modes.
  virtual void SetCaptionText(const std::string& text) = 0;
  // Caption mode on; does nothing when it is already on.
  virtual void ShowCaption() = 0;
  // Caption mode off and the text set to one blank; does nothing when off.
  virtual void HideCaption() = 0;
  virtual bool CaptionShown() const = 0;
  // The small icon: the green lamp while a worker runs, else the red one.
  virtual void SetRunLamp(bool running) = 0;
  // Ends the main window as its OK key would, through the close sequence.
  virtual void CloseMainWindow() = 0;
};

}  // namespace vireo
