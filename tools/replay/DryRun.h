// vireo-replay's stand-ins for the outside world: a desktop without windows
// whose shell always starts, a volume control of 0..65535 starting at 0, a
// shutdown that is only asked for, and a caption. Each reports what it does
// on a line beginning with "#", which no event-log line does.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "actions/CaptionSurface.h"
#include "actions/Desktop.h"
#include "actions/ShutdownControl.h"
#include "actions/VolumeSource.h"

namespace vireo::replay {

// Writes "# " + text, converted to UTF-8, as one line.
void Report(std::ostream& out, const std::string& text);

// Its pauses do not advance virtual time: on Windows they hold only the
// user-interface thread while the worker goes on sampling.
class DryRunDesktop : public Desktop {
 public:
  explicit DryRunDesktop(std::ostream& out) : out_(out) {}
  void Sleep(std::int32_t) override {}
  void EnumerateWindows(const std::function<void(WindowId, const std::string&)>&) override {}
  void Post(WindowId window, const WindowMessage& message) override;
  void Broadcast(const WindowMessage& message) override;
  bool ShellOpen(const std::string& file, const std::string& directory,
                 const std::string& parameters) override;
  void Pause(std::int32_t ms) override;
  ScreenRect DesktopRect() override { return {0, 0, 1024, 768}; }
  void SetPointer(std::int32_t x, std::int32_t y) override;

 private:
  std::ostream& out_;
};

class DryRunVolume : public VolumeSource {
 public:
  explicit DryRunVolume(std::ostream& out) : out_(out) {}
  bool Open() override { return true; }
  void Close() override {}
  std::int32_t Minimum() override { return 0; }
  std::int32_t Maximum() override { return 65535; }
  std::int32_t Volume() override { return value_; }
  void SetVolume(std::int32_t value) override;
  void EnableLine() override {}

 private:
  std::ostream& out_;
  std::int32_t value_ = 0;
};

class DryRunShutdown : public ShutdownControl {
 public:
  explicit DryRunShutdown(std::ostream& out) : out_(out) {}
  bool RequestShutdown() override;

 private:
  std::ostream& out_;
};

// Reports each text that comes into view; remembers a request to close the
// main window, which ends the replay.
class DryRunCaption : public CaptionSurface {
 public:
  explicit DryRunCaption(std::ostream& out) : out_(out) {}
  void SetCaptionText(const std::string& text) override;
  void ShowCaption() override;
  void HideCaption() override;
  bool CaptionShown() const override { return shown_; }
  void SetRunLamp(bool) override {}
  void CloseMainWindow() override;
  bool CloseRequested() const { return closeRequested_; }

 private:
  void ReportText();

  std::ostream& out_;
  std::string text_;
  bool shown_ = false;
  bool closeRequested_ = false;
};

}  // namespace vireo::replay
