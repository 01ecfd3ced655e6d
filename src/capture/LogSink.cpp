#include "capture/LogSink.h"

namespace vireo {

void LogSink::AppendLog(const std::string& message, bool newLine) {
  std::lock_guard<std::mutex> lock(mutex_);
  changed_ = true;
  // The 2 of the line break is counted whether or not it is written.
  const std::size_t need = message.size() + 2;
  if (text_.size() + need > kCapacity) {
    if (need > kCapacity) {
      text_.clear();
    } else {
      text_.erase(0, text_.size() - (kCapacity - need));
    }
  }
  if (newLine) text_ += "\r\n";
  text_ += message;
  if (listener_) listener_->OnLogLine(message);
}

std::string LogSink::TakeLogIfChanged() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!changed_) return std::string();
  changed_ = false;
  return text_;
}

void LogSink::MarkLogChanged() {
  std::lock_guard<std::mutex> lock(mutex_);
  changed_ = true;
}

}  // namespace vireo
