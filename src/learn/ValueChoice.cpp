#include "learn/ValueChoice.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>
#include <unordered_map>

namespace vireo::learn {

namespace {

constexpr std::size_t kLongestValue = 64;
constexpr std::size_t kMargin = 8;
constexpr char kCodeSeparator = '|';

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

// Polynomial hashes of every prefix of a code, so that any part's hash
// costs a multiplication and a subtraction; with 64-bit wrap-around, two
// different parts of these short codes sharing a hash is not a concern.
constexpr std::uint64_t kBase = 1'000'003;

struct PrefixHashes {
  std::vector<std::uint64_t> prefix{0};
  explicit PrefixHashes(std::string_view code) {
    for (char c : code) prefix.push_back(prefix.back() * kBase + static_cast<unsigned char>(c));
  }
  std::size_t Size() const { return prefix.size() - 1; }
  std::uint64_t Of(std::size_t at, std::size_t length,
                   const std::vector<std::uint64_t>& powers) const {
    return prefix[at + length] - prefix[at] * powers[length];
  }
};

std::string MostFrequent(const std::map<std::string, int>& counts) {
  std::string best;
  int most = 0;
  for (const auto& [code, count] : counts) {
    if (count > most) best = code, most = count;
  }
  return best;
}

// What the Value is cut from: the most frequent last code of the button's
// presses (the fullest reference of a typical press) and the other codes
// that most of its presses show (a handset whose frames differ, the last of
// them shared with other buttons), each after a separator that no code holds.
std::string TypicalCode(const std::vector<std::vector<std::string>>& presses) {
  constexpr std::size_t kMostCodes = 4;
  std::map<std::string, int> last, any;
  for (const auto& press : presses) {
    if (!press.empty() && !press.back().empty()) ++last[press.back()];
    for (auto code = press.begin(); code != press.end(); ++code) {
      if (!code->empty() && std::find(press.begin(), code, *code) == code) ++any[*code];
    }
  }
  std::string typical = MostFrequent(last);
  std::size_t codes = 1;
  for (const auto& [code, count] : any) {
    if (codes < kMostCodes && code != typical && count * 2 > static_cast<int>(presses.size())) {
      typical += kCodeSeparator + code;
      ++codes;
    }
  }
  return typical;
}

// Counts each button's presses as right, wrong or none, and gives, per
// button, how many presses of each other button fired it.
std::vector<std::vector<int>> Simulate(const PressCodes& codes, ValueOutcome& outcome) {
  const int buttons = static_cast<int>(codes.size());
  outcome.right.assign(buttons, 0);
  outcome.wrong.assign(buttons, 0);
  outcome.none.assign(buttons, 0);
  outcome.mistakenFor.assign(buttons, -1);
  std::vector<std::vector<int>> firedBy(buttons, std::vector<int>(buttons, 0));
  for (int b = 0; b < buttons; ++b) {
    std::vector<int> mistaken(buttons, 0);
    for (const auto& press : codes[b]) {
      const std::vector<int> fired = Fired(press, outcome.values, outcome.order);
      const Outcome result = Judge(fired, b);
      (result == Outcome::kRight   ? outcome.right
       : result == Outcome::kWrong ? outcome.wrong
                                   : outcome.none)[b]++;
      for (int o : fired) {
        if (o != b) ++mistaken[o], ++firedBy[o][b];
      }
    }
    auto most = std::max_element(mistaken.begin(), mistaken.end());
    if (*most > 0) outcome.mistakenFor[b] = static_cast<int>(most - mistaken.begin());
  }
  return firedBy;
}

}  // namespace

std::vector<int> Fired(const std::vector<std::string>& pressCodes,
                       const std::vector<std::string>& values, const std::vector<int>& order) {
  std::vector<int> fired;
  for (const std::string& code : pressCodes) {
    for (int button : order) {
      const std::string& value = values[button];
      if (value.empty() || code.find(value) == std::string::npos) continue;
      fired.push_back(button);
      break;
    }
  }
  return fired;
}

Outcome Judge(const std::vector<int>& fired, int pressed) {
  if (fired.empty()) return Outcome::kNone;
  for (int button : fired) {
    if (button != pressed) return Outcome::kWrong;
  }
  return Outcome::kRight;
}

ValueOutcome ChooseValues(const PressCodes& codes) {
  const int buttons = static_cast<int>(codes.size());
  std::vector<std::string> typical(buttons);
  for (int b = 0; b < buttons; ++b) {
    typical[b] = TypicalCode(codes[b]);
  }
  std::vector<Candidate> unique(buttons), any(buttons);
  std::vector<std::vector<Candidate>> bestAt(buttons);  // per length, from 1
  std::vector<PrefixHashes> typicalHashes;
  std::vector<std::vector<std::vector<PrefixHashes>>> pressHashes(buttons);
  std::size_t longest = 0;
  for (int b = 0; b < buttons; ++b) {
    typicalHashes.emplace_back(typical[b]);
    longest = std::max(longest, typical[b].size());
    for (const auto& press : codes[b]) {
      auto& hashes = pressHashes[b].emplace_back();
      for (auto code = press.begin(); code != press.end(); ++code) {
        if (std::find(press.begin(), code, *code) != code) continue;  // a repeat's same code
        hashes.emplace_back(*code);
        longest = std::max(longest, code->size());
      }
    }
  }
  std::vector<std::uint64_t> powers{1};
  while (powers.size() <= longest) powers.push_back(powers.back() * kBase);
  for (std::size_t length = 1; length <= kLongestValue; ++length) {
    // Only parts of the typical codes can become Values: count those.
    std::unordered_map<std::uint64_t, Hits> hits;
    for (int b = 0; b < buttons; ++b) {
      for (std::size_t i = 0; i + length <= typical[b].size(); ++i) {
        hits.try_emplace(typicalHashes[b].Of(i, length, powers))
            .first->second.byButton.assign(buttons, 0);
      }
    }
    if (hits.empty()) break;
    for (int b = 0; b < buttons; ++b) {
      for (int p = 0; p < static_cast<int>(pressHashes[b].size()); ++p) {
        for (const PrefixHashes& code : pressHashes[b][p]) {
          for (std::size_t i = 0; i + length <= code.Size(); ++i) {
            auto found = hits.find(code.Of(i, length, powers));
            if (found == hits.end()) continue;
            Hits& h = found->second;
            if (h.lastButton == b && h.lastPress == p) continue;
            ++h.byButton[b];
            h.lastButton = b, h.lastPress = p;
          }
        }
      }
    }
    bool open = false;
    for (int b = 0; b < buttons; ++b) {
      if (typical[b].size() < length) continue;
      open = true;
      const double middle = (typical[b].size() - length) / 2.0;
      Candidate here;
      double hereDistance = 1e9;
      for (std::size_t i = 0; i + length <= typical[b].size(); ++i) {
        // A part across the separator of two codes is no part of either.
        if (typical[b].find(kCodeSeparator, i) < i + length) continue;
        const Hits& h = hits.at(typicalHashes[b].Of(i, length, powers));
        const int own = h.byButton[b];
        int foreign = 0;
        std::vector<int> others;
        for (int o = 0; o < buttons; ++o) {
          if (o != b && h.byButton[o] > 0) foreign += h.byButton[o], others.push_back(o);
        }
        const double distance = std::abs(static_cast<double>(i) - middle);
        if (foreign == 0 && (own > here.own || (own == here.own && distance < hereDistance))) {
          here = {typical[b].substr(i, length), own, 0, {}};
          hereDistance = distance;
        }
        if (own - foreign > any[b].own - any[b].foreign) {
          any[b] = {typical[b].substr(i, length), own, foreign, others};
        }
      }
      bestAt[b].push_back(std::move(here));
    }
    if (!open) break;
  }
  // The shortest Value that nearly as many presses show as the best of any
  // length, then a few symbols longer where that keeps them: a garbled press
  // of another button is far less likely to hold it by chance.
  for (int b = 0; b < buttons; ++b) {
    int most = 0;
    for (const Candidate& c : bestAt[b]) most = std::max(most, c.own);
    if (most == 0) continue;
    std::size_t shortest = 0;
    while (bestAt[b][shortest].own * 20 < most * 19) ++shortest;
    std::size_t chosen = std::min(shortest + kMargin, bestAt[b].size() - 1);
    while (chosen > shortest && bestAt[b][chosen].own * 20 < most * 19) --chosen;
    unique[b] = bestAt[b][chosen];
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
  outcome.collidesWith.assign(buttons, -1);
  // A Value that also shows in other buttons' codes is kept only if, with
  // the sections in this order, none of their presses fires it.
  for (bool dropped = true; dropped;) {
    std::vector<std::vector<int>> firedBy = Simulate(codes, outcome);
    dropped = false;
    for (int b = 0; b < buttons; ++b) {
      auto most = std::max_element(firedBy[b].begin(), firedBy[b].end());
      if (after[b].empty() || outcome.values[b].empty() || *most == 0) continue;
      outcome.values[b].clear();
      outcome.collidesWith[b] = static_cast<int>(most - firedBy[b].begin());
      dropped = true;
    }
  }
  return outcome;
}

}  // namespace vireo::learn
