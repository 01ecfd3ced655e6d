// The Windows side of the action dispatcher's seams: wall clock, desktop,
// master volume and shutdown, owned together for the main window.
#pragma once

#include "actions/ActionRunner.h"
#include "actions/win32/Win32Desktop.h"
#include "actions/win32/Win32Shutdown.h"
#include "actions/win32/Win32Volume.h"
#include "platform/win32/Win32WallClock.h"

namespace vireo {

class Win32ActionPlatform {
 public:
  ActionSeams Seams(CaptionSurface& caption) {
    return {clock_, desktop_, volume_, shutdown_, caption};
  }

 private:
  Win32WallClock clock_;
  Win32Desktop desktop_;
  Win32MasterVolume volume_;
  Win32Shutdown shutdown_;
};

}  // namespace vireo
