// SharedConfig is the configuration reader as the two threads share it: one
// lock around a whole load and around each look-up, so that the worker's
// reload never tears a look-up made by the user interface.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "config/ConfigFile.h"

namespace vireo {

class SharedConfig {
 public:
  bool Load(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    file_.SetPath(path);
    return file_.Load();
  }
  // Loads merge into what is held; a worker switched to another file must
  // not keep the keys and sections of the last one.
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    file_.Clear();
  }
  std::string GetString(const std::string& section, const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    return file_.GetString(section, key);
  }
  std::int32_t GetInt(const std::string& section, const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    return file_.GetInt(section, key);
  }

 private:
  std::mutex mutex_;
  ConfigFile file_;
};

}  // namespace vireo
