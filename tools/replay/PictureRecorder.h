// Collects what the signal view would be handed during a replay: every
// packet's slot text with the code text made from it, and the latest
// reference, for drawing afterwards.
#pragma once

#include <string>
#include <vector>

#include "capture/CaptureSettings.h"
#include "signal/FramePair.h"
#include "signal/SignalViewSink.h"

namespace vireo::replay {

struct PictureRow {
  std::string slots;
  std::string code;  // Windows-1251, as the log has it
};

struct Picture {
  std::string reference;
  std::vector<PictureRow> packets;
};

class PictureRecorder : public SignalViewSink {
 public:
  PictureRecorder(const FramePair& frames, const CaptureSettings& settings, Picture& picture)
      : frames_(frames), settings_(settings), picture_(picture) {}

  void AddTraceRow(const std::string& slotText) override;
  void SetReferenceRow(const std::string& slotText) override;

 private:
  const FramePair& frames_;
  const CaptureSettings& settings_;
  Picture& picture_;
};

}  // namespace vireo::replay
