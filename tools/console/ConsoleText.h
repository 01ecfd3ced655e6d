// A stream buffer for the system's Windows-1251 texts on standard output or
// error: in a console they are written as UTF-16, so that Russian reads
// right whatever the console's code page; redirected, they keep the bytes
// the tools have always written, so that logs and tests stay as they were.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "Console.h"

namespace vireo::console {

// What a redirected stream gets: the texts as UTF-8 (the event log, the
// report), or their bytes unchanged (a VIREO.INI, which is Windows-1251).
enum class Redirected { kUtf8, kBytes };

class ConsoleText : public std::streambuf {
 public:
  // Without a console, the texts go to `bytes` in the redirected form.
  ConsoleText(std::unique_ptr<Console> console, std::ostream& bytes, Redirected form);
  ~ConsoleText() override;
  ConsoleText(const ConsoleText&) = delete;
  ConsoleText& operator=(const ConsoleText&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void Send(std::size_t length);  // the first `length` pending bytes

  std::unique_ptr<Console> console_;
  std::ostream& bytes_;
  Redirected form_;
  std::string pending_;  // up to the end of a line, so a console gets whole lines
};

}  // namespace vireo::console
