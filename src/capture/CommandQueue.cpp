#include "capture/CommandQueue.h"

#include "capture/Messages.h"

namespace vireo {

void CommandQueue::Push(const std::string& name, std::int32_t pauseMs, Sleeper& sleeper) {
  if (debugMode_.load()) return;
  bool fits;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fits = content_.size() + name.size() + 1 <= kCapacity;
    if (fits) {
      content_ += ';';
      content_ += name;
    }
  }
  // The log line and the pause come after the queue's lock is released.
  if (!fits) {
    log_.AppendLog(msg::kStackOverflow);
    return;
  }
  sleeper.Sleep(pauseMs);
}

std::string CommandQueue::Pop() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (content_.empty()) return std::string();
  std::size_t separator = content_.rfind(';');
  std::string entry;
  if (separator == std::string::npos) {
    entry.swap(content_);
  } else {
    entry = content_.substr(separator + 1);
    content_.resize(separator);
  }
  return entry;
}

}  // namespace vireo
