#include "PictureRecorder.h"

namespace vireo::replay {

void PictureRecorder::AddTraceRow(const std::string& slotText) {
  picture_.packets.push_back({slotText, {}});
}

void PictureRecorder::SetReferenceRow(const std::string& slotText) {
  picture_.reference = slotText;
  // The reference has just been smoothed for its slot text, and the code is
  // made from it as it now stands: the same text the engine goes on to use.
  if (!picture_.packets.empty()) {
    picture_.packets.back().code =
        frames_.ReferenceCode(settings_.packetMax, settings_.packetMin, frames_.debugMode.load());
  }
}

}  // namespace vireo::replay
