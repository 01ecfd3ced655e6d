#include "ui/RawPacketHandOver.h"

namespace vireo {

void RawPacketHandOver::Attach(RepaintTarget* target) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_ = 0;
  lost_ = 0;
  target_ = target;
}

void RawPacketHandOver::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_ = 0;
  target_ = nullptr;
}

void RawPacketHandOver::AddRawPacket(const RawPacket& packet) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (target_ == nullptr) return;
  if (waiting_ == held_.size()) {
    ++lost_;
  } else {
    held_[waiting_++] = packet;
  }
  target_->RequestRepaint();
}

int RawPacketHandOver::Take(std::vector<RawPacket>& into) {
  std::lock_guard<std::mutex> lock(mutex_);
  into.insert(into.end(), held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(waiting_));
  waiting_ = 0;
  const int lost = lost_;
  lost_ = 0;
  return lost;
}

}  // namespace vireo
