// LogSink is the event log shared by the worker and the user interface: one
// text of at most 10000 characters, each line preceded by CR LF, with a flag
// that tells the settings window when there is something new to show.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

namespace vireo {

// Told of every line as it is appended (a console that mirrors the log).
// Called with the log's lock held: it must be quick and take no other lock.
class LogListener {
 public:
  virtual ~LogListener() = default;
  virtual void OnLogLine(const std::string& line) = 0;
};

class LogSink {
 public:
  static constexpr std::size_t kCapacity = 10000;

  void SetListener(LogListener* listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = listener;
  }

  void AppendLog(const std::string& message, bool newLine = true);
  // A copy of the whole log when it changed since the last take, else empty.
  std::string TakeLogIfChanged();
  void MarkLogChanged();

 private:
  // Guards text_ and changed_ together; no other lock is taken under it.
  std::mutex mutex_;
  std::string text_;
  bool changed_ = false;
  LogListener* listener_ = nullptr;
};

}  // namespace vireo
