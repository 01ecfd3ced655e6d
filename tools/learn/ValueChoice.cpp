#include "ValueChoice.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>

namespace vireo::learn {

namespace {

constexpr std::size_t kLongestValue = 64;

struct Hits {
  std::vector<int> byButton;  // presses per button whose codes hold the text
  int lastButton = -1, lastPress = -1;
};

struct Candidate {
  std::string text;
  int own = -1;
  int foreign = 0;
  std::vector<int> foreignButtons;
};

// The most frequent last code of the button's presses: the fullest reference
// of a typical press, from which the Value is cut.
std::string TypicalCode(const std::vector<std::vector<std::string>>& presses) {
  std::map<std::string, int> counts;
  for (const auto& press : presses) {
    if (!press.empty() && !press.back().empty()) ++counts[press.back()];
  }
  std::string best;
  int most = 0;
  for (const auto& [code, count] : counts) {
    if (count > most) best = code, most = count;
  }
  return best;
}

}  // namespace

Outcome Classify(const std::vector<std::string>& pressCodes, const std::vector<std::string>& values,
                 const std::vector<int>& order, int pressed) {
  bool fired = false;
  for (const std::string& code : pressCodes) {
    for (int button : order) {
      const std::string& value = values[button];
      if (value.empty() || code.find(value) == std::string::npos) continue;
      if (button != pressed) return Outcome::kWrong;
      fired = true;
      break;
    }
  }
  return fired ? Outcome::kRight : Outcome::kNone;
}

ValueOutcome ChooseValues(const PressCodes& codes) {
  const int buttons = static_cast<int>(codes.size());
  std::vector<std::string> typical(buttons);
  std::vector<int> coded(buttons, 0);  // presses that gave any code at all
  for (int b = 0; b < buttons; ++b) {
    typical[b] = TypicalCode(codes[b]);
    for (const auto& press : codes[b]) {
      coded[b] += std::any_of(press.begin(), press.end(), [](auto& c) { return !c.empty(); });
    }
  }
  std::vector<Candidate> unique(buttons), any(buttons);
  std::vector<bool> decided(buttons, false);
  for (std::size_t length = 1; length <= kLongestValue; ++length) {
    std::unordered_map<std::string, Hits> hits;
    for (int b = 0; b < buttons; ++b) {
      for (int p = 0; p < static_cast<int>(codes[b].size()); ++p) {
        for (const std::string& code : codes[b][p]) {
          for (std::size_t i = 0; i + length <= code.size(); ++i) {
            Hits& h = hits[code.substr(i, length)];
            if (h.lastButton == b && h.lastPress == p) continue;
            if (h.byButton.empty()) h.byButton.assign(buttons, 0);
            ++h.byButton[b];
            h.lastButton = b, h.lastPress = p;
          }
        }
      }
    }
    bool open = false;
    for (int b = 0; b < buttons; ++b) {
      if (decided[b] || typical[b].size() < length) continue;
      open = true;
      const double middle = (typical[b].size() - length) / 2.0;
      Candidate here;
      double hereDistance = 1e9;
      for (std::size_t i = 0; i + length <= typical[b].size(); ++i) {
        std::string text = typical[b].substr(i, length);
        const Hits& h = hits[text];
        const int own = h.byButton[b];
        int foreign = 0;
        std::vector<int> others;
        for (int o = 0; o < buttons; ++o) {
          if (o != b && h.byButton[o] > 0) foreign += h.byButton[o], others.push_back(o);
        }
        const double distance = std::abs(static_cast<double>(i) - middle);
        if (foreign == 0 && (own > here.own || (own == here.own && distance < hereDistance))) {
          here = {text, own, 0, {}};
          hereDistance = distance;
        }
        if (own - foreign > any[b].own - any[b].foreign) any[b] = {text, own, foreign, others};
      }
      if (here.own > unique[b].own) unique[b] = here;
      // Shortest that nearly every press of the button shows.
      if (unique[b].own * 20 >= coded[b] * 19 && unique[b].own > 0) decided[b] = true;
    }
    if (!open) break;
  }

  ValueOutcome outcome;
  outcome.values.resize(buttons);
  std::vector<std::vector<int>> after(buttons);  // buttons that must come before this one
  for (int b = 0; b < buttons; ++b) {
    if (unique[b].own > 0) {
      outcome.values[b] = unique[b].text;
    } else if (any[b].own > 0) {
      outcome.values[b] = any[b].text;
      after[b] = any[b].foreignButtons;
    }
  }
  // Buttons with a Value of their own first; one whose Value also shows in
  // other buttons' codes after those, so that they match first.
  std::vector<bool> placed(buttons, false);
  for (bool progress = true; progress;) {
    progress = false;
    for (int b = 0; b < buttons; ++b) {
      if (placed[b]) continue;
      if (std::all_of(after[b].begin(), after[b].end(), [&](int o) { return placed[o]; })) {
        outcome.order.push_back(b);
        placed[b] = progress = true;
      }
    }
  }
  for (int b = 0; b < buttons; ++b) {
    if (!placed[b]) outcome.order.push_back(b);
  }
  outcome.right.assign(buttons, 0);
  outcome.wrong.assign(buttons, 0);
  outcome.none.assign(buttons, 0);
  outcome.mistakenFor.assign(buttons, -1);
  for (int b = 0; b < buttons; ++b) {
    std::vector<int> mistaken(buttons, 0);
    for (const auto& press : codes[b]) {
      switch (Classify(press, outcome.values, outcome.order, b)) {
        case Outcome::kRight:
          ++outcome.right[b];
          break;
        case Outcome::kNone:
          ++outcome.none[b];
          break;
        case Outcome::kWrong:
          ++outcome.wrong[b];
          for (const std::string& code : press) {
            for (int o : outcome.order) {
              if (!outcome.values[o].empty() && code.find(outcome.values[o]) != std::string::npos) {
                ++mistaken[o];
                break;
              }
            }
          }
          break;
      }
    }
    mistaken[b] = 0;
    auto most = std::max_element(mistaken.begin(), mistaken.end());
    if (*most > 0) outcome.mistakenFor[b] = static_cast<int>(most - mistaken.begin());
  }
  return outcome;
}

}  // namespace vireo::learn
