// The buttons of one handset as recorded: for each name, one or more captures
// of durations in microseconds, alternating burst and pause, burst first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vireo::learn {

using Durations = std::vector<std::int64_t>;

struct ButtonSignal {
  std::string name;  // UTF-8, as the file has it
  std::vector<Durations> captures;
};

// Reads Flipper .ir files (each raw block a capture of the button it names)
// and LIRC mode2 files (one button, named after the file without its
// extension). Captures of one name, in one file or several, are gathered
// under it in order. False with a message for an unreadable file or a file
// with no signal in it. A capture ends at its first pause of more than
// 200 ms or burst of more than 100 ms; such a burst before the signal is
// skipped.
bool ReadButtonSignals(const std::vector<std::string>& paths, std::vector<ButtonSignal>& buttons,
                       std::string& error);

}  // namespace vireo::learn
