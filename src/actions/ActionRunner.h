// The action dispatcher: on the main window's 500 ms tick it shows the run
// state, takes the queued commands, lets each through the caption-hold gate
// and carries out its action; it also drives the shutdown countdown and ends
// the caption hold. User-interface thread only.
#pragma once

#include <cstdint>
#include <string>

#include "actions/CaptionSurface.h"
#include "actions/Desktop.h"
#include "actions/MasterVolume.h"
#include "actions/ShutdownControl.h"
#include "actions/ShutdownCountdown.h"
#include "actions/VolumeSource.h"
#include "actions/WindowActions.h"
#include "capture/CaptureEngine.h"
#include "platform/WallClock.h"

namespace vireo {

struct ActionSeams {
  WallClock& clock;
  Desktop& desktop;
  VolumeSource& volume;
  ShutdownControl& shutdown;
  CaptionSurface& caption;
};

class ActionRunner {
 public:
  static constexpr std::int32_t kHoldMs = 800;
  // A program step that leads back to itself would drain for ever; the rest
  // of the queue waits for the next tick.
  static constexpr int kMaxCommandsPerTick = 1000;

  ActionRunner(CaptureEngine& engine, const ActionSeams& seams);

  // The main window's initialisation: stamps, no countdown.
  void Start();
  // The 500 ms user-interface timer tick.
  void Tick();
  // The main window's close lets the volume control go.
  void ReleaseVolume() { volume_.Release(); }
  // Carries out one command section by name, as the tick does.
  void RunCommand(const std::string& name);

 private:
  struct Command {
    std::string descr, action, param1, param2, param3;
  };
  using Work = void (ActionRunner::*)(const Command&);
  struct Keyword {
    const char* action;
    bool descrCaption;  // the caption is set to Descr before the work
    Work work;
  };
  static const Keyword kKeywords[];

  void PowerOff(const Command&);
  void VolumeUp(const Command&);
  void VolumeDown(const Command&);
  void KeyDown(const Command& c) { Post(c.param3, kWmKeyDown, c); }
  void Pause(const Command& c);
  void SysCommand(const Command& c) { Post(c.param3, kWmSysCommand, c); }
  void WmCommand(const Command& c) { Post(c.param3, kWmCommand, c); }
  void Program(const Command& c);
  void HideMouse(const Command&) { windows_.HidePointer(); }
  void Close(const Command& c);
  void Open(const Command& c);
  void Post(const std::string& pattern, std::uint32_t message, const Command& c);

  CaptureEngine& engine_;
  WallClock& clock_;
  Desktop& desktop_;
  CaptionSurface& caption_;
  WindowActions windows_;
  ShutdownCountdown countdown_;
  MasterVolume volume_;
  WallStamp lastActionTime_;
};

}  // namespace vireo
