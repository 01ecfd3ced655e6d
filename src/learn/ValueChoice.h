// Values for the command sections: for each button, the shortest part of its
// code that its own presses show and no other button's press does, and the
// order of the sections that lets the first match pick the right one.
#pragma once

#include <string>
#include <vector>

namespace vireo::learn {

// codes[button][press] lists the code texts looked up during one press, one
// per packet end.
using PressCodes = std::vector<std::vector<std::vector<std::string>>>;

struct ValueOutcome {
  std::vector<std::string> values;  // per button; empty when it never gave a code
  std::vector<int> order;           // buttons in section order
  // Per button, over its presses: recognised as itself, as another, or not at all.
  std::vector<int> right, wrong, none;
  std::vector<int> mistakenFor;   // per button, the one its presses most often fire, or -1
  std::vector<int> collidesWith;  // per button left without a Value: whose presses it fired
};

ValueOutcome ChooseValues(const PressCodes& codes);

enum class Outcome { kRight, kWrong, kNone };

// The buttons one press fires: for each of its codes, the button of the
// first section in order whose Value the code holds, if any.
std::vector<int> Fired(const std::vector<std::string>& pressCodes,
                       const std::vector<std::string>& values, const std::vector<int>& order);

// Right when every firing is the pressed button, wrong when any is another,
// none when nothing fired.
Outcome Judge(const std::vector<int>& fired, int pressed);

}  // namespace vireo::learn
