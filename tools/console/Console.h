// The console behind a standard stream, where there is one: the seam between
// the tools' output and the system.
#pragma once

#include <memory>
#include <string>

namespace vireo::console {

enum class StdStream { kOutput, kError };

class Console {
 public:
  virtual ~Console() = default;
  virtual void Write(const std::u16string& text) = 0;
};

// Null when the stream is redirected to a file or a pipe, and always where
// the system has no consoles of its own.
std::unique_ptr<Console> OpenConsole(StdStream which);

}  // namespace vireo::console
