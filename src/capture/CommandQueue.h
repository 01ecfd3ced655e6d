// CommandQueue carries command names from the worker (and from PROGRAM
// actions) to the user-interface thread: a bounded stack kept as one text of
// entries, each preceded by ";", most recent last.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "capture/LogSink.h"
#include "platform/ClockHardware.h"

namespace vireo {

class CommandQueue {
 public:
  static constexpr std::size_t kCapacity = 5000;

  CommandQueue(LogSink& log, const std::atomic<bool>& debugMode)
      : log_(log), debugMode_(debugMode) {}

  // Appends name (split at every ";") and then pauses the calling thread for
  // pauseMs; does nothing at all while the debug switch is on. A name that
  // does not fit is dropped with the line "Стек переполнен".
  void Push(const std::string& name, std::int32_t pauseMs, Sleeper& sleeper);
  // The most recent entry, or the empty text when the queue is empty.
  std::string Pop();
  // Whether a Pop now would find no entry.
  bool Empty() {
    std::lock_guard<std::mutex> lock(mutex_);
    return content_.empty();
  }

 private:
  LogSink& log_;
  const std::atomic<bool>& debugMode_;
  std::mutex mutex_;  // guards content_; never held with the log's lock
  std::string content_;
};

}  // namespace vireo
