#include "learn/Learner.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "learn/EngineRun.h"
#include "learn/LearnTexts.h"
#include "learn/PeriodChoice.h"
#include "learn/Press.h"
#include "learn/ValueChoice.h"
#include "signal/CodeText.h"
#include "text/Cp1251.h"

namespace vireo::learn {

namespace {

// The look-up reads COMMAND1 to COMMAND49, or as many as LAST_COMMAND says.
constexpr std::size_t kSections = 49;
constexpr std::size_t kMostSections = 1000;
// A wrong command costs as much as this many missed presses.
constexpr int kWrongCost = 10;
constexpr double kLowestThreshold = 110, kHighestThreshold = 400, kThresholdStep = 1.06;

std::string Normalised(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == ' ' || c == '_' || c == '.') continue;
    out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return out;
}

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

std::string ActionFor(const std::string& name, bool bindPower) {
  const std::string n = Normalised(name);
  if (Has(n, "vol")) {
    if (Has(n, "up") || Has(n, "+") || Has(n, "more")) return "VOL_UP";
    if (Has(n, "dn") || Has(n, "down") || Has(n, "dw") || Has(n, "-") || Has(n, "less")) {
      return "VOL_DOWN";
    }
  }
  // Russian names, read from UTF-8 files: louder, quieter.
  auto utf8 = [](const char8_t* text) { return reinterpret_cast<const char*>(text); };
  if (Has(n, utf8(u8"ромче"))) return "VOL_UP";
  if (Has(n, utf8(u8"ише"))) return "VOL_DOWN";
  if (bindPower && (n == "power" || n == "poweroff")) return "POWER_OFF";
  return "";
}

namespace {

std::uint64_t PressSeed(std::uint64_t seed, std::size_t button, int press) {
  return seed * 1'000'003ULL + button * 7919ULL + static_cast<std::uint64_t>(press);
}

// One way of reading the handset: the ratio code with a stop pause in ms,
// or the code by pair periods with one in us.
struct Reading {
  bool periods = false;
  std::int32_t stop = 0;
};

struct Trial {
  Reading reading;
  SettingsChoice choice;
  ValueOutcome values;
  PressCodes codes;
  std::vector<std::vector<int>> captureOf;  // [button][press]
  int right = 0, wrong = 0;
  bool replayed = false;  // false when the engine's configuration could not be written
  int Score() const { return right - kWrongCost * wrong; }
};

// The debug lines of every distorted press under the trial's settings:
// lines[button][press][packet end].
using DebugLines = std::vector<std::vector<std::vector<std::string>>>;

bool ReplayPresses(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
                   Trial& trial, DebugLines& lines) {
  LearnResult bare;
  bare.choice = trial.choice;
  EngineRunner runner(IniText(bare, false));
  trial.replayed = runner.Ready();
  if (!trial.replayed) return false;
  lines.assign(buttons.size(), {});
  trial.captureOf.assign(buttons.size(), {});
  for (std::size_t b = 0; b < buttons.size(); ++b) {
    for (int p = 0; p < options.presses; ++p) {
      const int capture = p % static_cast<int>(buttons[b].captures.size());
      std::mt19937_64 random(PressSeed(options.seed, b, p));
      Distortion distortion = RandomDistortion(random, options.maxStretchUs);
      Durations press = Distort(buttons[b].captures[capture], distortion, random);
      lines[b].push_back(runner.Run(press, distortion, true).lines);
      trial.captureOf[b].push_back(capture);
    }
  }
  return true;
}

// Each debug line read into its numbers: numbers[button][press][packet end].
template <typename Numbers, typename Read>
std::vector<std::vector<std::vector<Numbers>>> ReadLines(const DebugLines& lines, Read read) {
  std::vector<std::vector<std::vector<Numbers>>> numbers(lines.size());
  for (std::size_t b = 0; b < lines.size(); ++b) {
    for (const auto& press : lines[b]) {
      auto& list = numbers[b].emplace_back();
      for (const std::string& line : press) list.push_back(read(line));
    }
  }
  return numbers;
}

// The codes those numbers give under one choice of the symbols' bounds.
template <typename Numbers, typename Code>
PressCodes CodesOf(const std::vector<std::vector<std::vector<Numbers>>>& numbers, Code code) {
  PressCodes codes(numbers.size());
  for (std::size_t b = 0; b < numbers.size(); ++b) {
    for (const auto& press : numbers[b]) {
      auto& list = codes[b].emplace_back();
      for (const auto& packet : press) list.push_back(code(packet));
    }
  }
  return codes;
}

// Keeps the codes and Values if they recognise more than the trial's best so
// far, or first, or as many and the caller prefers these on a tie.
bool Consider(Trial& trial, PressCodes codes, bool first, bool betterTie = false) {
  ValueOutcome values = ChooseValues(codes);
  int right = 0, wrong = 0;
  for (std::size_t b = 0; b < codes.size(); ++b) right += values.right[b], wrong += values.wrong[b];
  const int score = right - kWrongCost * wrong;
  if (!first && score < trial.Score()) return false;
  if (!first && score == trial.Score() && !betterTie) return false;
  trial.codes = std::move(codes);
  trial.values = std::move(values);
  trial.right = right;
  trial.wrong = wrong;
  return true;
}

Trial TryPeriods(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
                 std::int32_t stopUs) {
  Trial trial;
  trial.reading = {true, stopUs};
  trial.choice = ChoosePeriodSettings(buttons, stopUs);
  // Any class will do while the numbers are read.
  PeriodForm probe;
  probe.boundCount = 1;
  probe.boundsUs[0] = 1'000'000;
  SetPeriodForm(trial.choice, probe, "");
  DebugLines lines;
  if (!ReplayPresses(buttons, options, trial, lines)) return trial;
  const auto numbers = ReadLines<std::vector<PairNumbers>>(lines, DebugPairs);
  std::vector<std::vector<PairNumbers>> packets;
  for (const auto& presses : numbers) {
    for (const auto& press : presses) packets.insert(packets.end(), press.begin(), press.end());
  }
  // A change of level is seen up to one sampling period late.
  constexpr std::int32_t noiseUs = 50;
  PeriodForm best = probe;
  bool first = true;
  std::vector<std::int32_t> recorded;
  for (const ButtonSignal& button : buttons) {
    for (const Durations& capture : button.captures) {
      for (std::size_t i = 1; i < capture.size(); i += 2) {
        recorded.push_back(static_cast<std::int32_t>(
            std::min<std::int64_t>(capture[i - 1] + capture[i], 1'000'000)));
      }
    }
  }
  for (const PeriodForm& form : CandidateForms(packets, recorded, noiseUs)) {
    auto code = [&form](const std::vector<PairNumbers>& pairs) { return CodeUnder(pairs, form); };
    if (Consider(trial, CodesOf(numbers, code), first)) best = form;
    first = false;
  }
  SetPeriodForm(trial.choice, best, text::kCodePeriods);
  return trial;
}

Trial TryStopPause(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
                   std::int32_t stopPause) {
  Trial trial;
  trial.reading = {false, stopPause};
  trial.choice = ChooseSettings(buttons, stopPause);
  DebugLines lines;
  if (!ReplayPresses(buttons, options, trial, lines)) return trial;
  const auto ratios = ReadLines<std::vector<std::int32_t>>(lines, DebugRatios);
  // The threshold between the symbols is the one under which the Values
  // recognise the most presses: the pairs a receiver's stretch pushes
  // towards each other decide it, not the bulk of them.
  std::int32_t bestThreshold = 0;
  for (double t = kLowestThreshold; t <= kHighestThreshold; t *= kThresholdStep) {
    const auto threshold = static_cast<std::int32_t>(t);
    auto code = [threshold](const std::vector<std::int32_t>& r) { return CodeUnder(r, threshold); };
    // On a tie, the threshold nearer 2:1, which splits short pairs from long.
    if (Consider(trial, CodesOf(ratios, code), bestThreshold == 0,
                 std::abs(threshold - 200) < std::abs(bestThreshold - 200))) {
      bestThreshold = threshold;
    }
  }
  SetThreshold(trial.choice, bestThreshold,
               text::Threshold(static_cast<int>(kLowestThreshold),
                               static_cast<int>(kHighestThreshold), bestThreshold));
  return trial;
}

}  // namespace

std::vector<std::int32_t> DebugRatios(const std::string& line) {
  std::vector<std::int32_t> ratios;
  std::size_t pos = 0;
  while (pos + 1 < line.size()) {
    std::size_t bar = line.find('|', pos);
    if (bar == std::string::npos) break;
    ratios.push_back(static_cast<std::int32_t>(std::strtol(line.c_str() + pos + 1, nullptr, 10)));
    pos = bar + 1;
  }
  return ratios;
}

std::string CodeUnder(const std::vector<std::int32_t>& ratios, std::int32_t threshold) {
  std::string code;
  for (std::int32_t r : ratios) code += CodeSymbol(r, threshold, threshold + 1);
  return code;
}

namespace {

// Two captures of one signal: as many durations, each within a quarter and
// 100 us of the other's, as two recordings of one button are.
bool SameSignal(const Durations& a, const Durations& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::abs(a[i] - b[i]) > std::max(a[i], b[i]) / 4 + 100) return false;
  }
  return true;
}

// The captures of one name, in groups of one signal each.
std::vector<std::vector<Durations>> SignalGroups(const std::vector<Durations>& captures) {
  std::vector<std::vector<Durations>> groups;
  for (const Durations& capture : captures) {
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const auto& g) { return SameSignal(g.front(), capture); });
    if (group == groups.end()) {
      groups.push_back({capture});
    } else {
      group->push_back(capture);
    }
  }
  return groups;
}

// Learns the buttons as given. When a name's captures are not one signal,
// false with that button's index in `differing`.
bool LearnButtons(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
                  LearnResult& result, std::string& error, int& differing) {
  differing = -1;
  std::vector<Reading> readings;
  std::vector<std::int32_t> stops = StopPauseCandidates(buttons);
  if (stops.empty()) stops.push_back(8);
  for (std::int32_t stop : stops) readings.push_back({false, stop});
  if (options.periods) {
    std::vector<std::int32_t> stopsUs = StopPauseCandidatesUs(buttons);
    if (stopsUs.empty()) stopsUs.push_back(8000);
    for (std::int32_t stop : stopsUs) readings.push_back({true, stop});
  }
  auto attempt = [&](const Reading& reading, const LearnOptions& with) {
    return reading.periods ? TryPeriods(buttons, with, reading.stop)
                           : TryStopPause(buttons, with, reading.stop);
  };
  Trial best;
  bool first = true;
  std::string tried = text::TriedFirst();
  // Several readings are compared on a third of the presses, and the best
  // is learned again on all of them. Between equals, the code by periods,
  // which a stretch beyond what the presses showed cannot move, and of its
  // stop pauses the longest, which keeps a frame whole.
  LearnOptions sample = options;
  if (readings.size() > 1) sample.presses = std::max(4, options.presses / 3);
  for (const Reading& reading : readings) {
    Trial trial = attempt(reading, sample);
    tried += text::Tried(reading.periods, reading.stop, trial.right, trial.wrong);
    if (first || trial.Score() > best.Score() ||
        (trial.Score() == best.Score() && trial.reading.periods)) {
      best = std::move(trial);
      first = false;
    }
  }
  tried += text::TriedLast(sample.presses);
  if (sample.presses != options.presses) best = attempt(best.reading, options);
  if (!best.replayed) {
    error = "cannot write the engine's configuration into the temporary folder";
    return false;
  }
  const ValueOutcome& v = best.values;
  // A name recorded more than once must be one signal: its Value has to show
  // in the presses of every capture (a toggle bit changes only a part).
  for (std::size_t b = 0; b < buttons.size(); ++b) {
    const std::size_t captures = buttons[b].captures.size();
    if (captures < 2) continue;
    std::vector<int> right(captures, 0), made(captures, 0);
    for (std::size_t p = 0; p < best.captureOf[b].size(); ++p) {
      const int c = best.captureOf[b][p];
      ++made[c];
      right[c] +=
          Judge(Fired(best.codes[b][p], v.values, v.order), static_cast<int>(b)) == Outcome::kRight;
    }
    bool some = false, other = false;
    for (std::size_t c = 0; c < captures; ++c) {
      (right[c] * 2 >= made[c] ? some : other) = true;
    }
    if (some && other) {
      error = "'" + buttons[b].name + "' is recorded more than once with different signals";
      differing = static_cast<int>(b);
      return false;
    }
  }
  result = LearnResult{};
  result.choice = best.choice;
  result.report.push_back({Finding::kTried, tried});
  std::vector<std::string> reported;
  for (int b : v.order) {
    LearnedCommand command;
    command.name = buttons[b].name;
    command.value = v.values[b];
    command.action = ActionFor(command.name, options.bindPower);
    command.right = v.right[b];
    command.wrong = v.wrong[b];
    command.none = v.none[b];
    result.right += command.right;
    result.wrong += command.wrong;
    result.none += command.none;
    const int presses = command.right + command.wrong + command.none;
    command.note = text::CommandNote(command.name, command.right, presses);
    const int other = v.collidesWith[b] >= 0                               ? v.collidesWith[b]
                      : v.mistakenFor[b] >= 0 && v.wrong[b] * 2 >= presses ? v.mistakenFor[b]
                                                                           : -1;
    if (other >= 0) {
      const std::string pair = "'" + command.name + "' and '" + buttons[other].name + "'";
      const std::string mirror = "'" + buttons[other].name + "' and '" + command.name + "'";
      if (std::find(reported.begin(), reported.end(), mirror) == reported.end()) {
        result.report.push_back(
            {Finding::kCollision, text::Collision(command.name, buttons[other].name)});
        reported.push_back(pair);
      }
      command.note += text::CollidesWith(buttons[other].name);
    } else if (command.value.empty()) {
      result.report.push_back({Finding::kNoValue, text::NoValue(command.name)});
    } else if (command.right * 10 < presses * 9) {
      result.report.push_back(
          {Finding::kUnsteady, text::Unsteady(command.name, command.right, presses)});
    }
    result.commands.push_back(std::move(command));
  }
  for (const std::string& name : best.choice.lateStart) {
    result.report.push_back({Finding::kLateStart, text::LateStart(name)});
  }
  for (const std::string& name : best.choice.noStart) {
    result.report.push_back({Finding::kNoStart, text::NoStart(name)});
  }
  for (const std::string& name : best.choice.tooLong) {
    result.report.push_back(
        {Finding::kTooLong, text::TooLong(name, best.choice.settings.bufferSize)});
  }
  if (result.commands.size() > kMostSections) {
    for (std::size_t i = kMostSections; i < result.commands.size(); ++i) {
      result.report.push_back(
          {Finding::kLeftOut, text::LeftOut(result.commands[i].name, kMostSections)});
    }
  }
  result.report.push_back(
      {Finding::kExpected, text::Expected(result.right, result.wrong, result.none)});
  return true;
}

}  // namespace

bool Learn(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
           LearnResult& result, std::string& error) {
  // A name may stand for several buttons of one handset (a lighting remote
  // with two yellows): each of its signals is learned as a button of its
  // own, with a section of its own under the one name. A capture that is
  // another name's signal is a mistake in the recordings, and refused.
  std::vector<ButtonSignal> learning = buttons;
  std::vector<ReportLine> split;
  for (int differing = -1; !LearnButtons(learning, options, result, error, differing);) {
    if (differing < 0) return false;
    const ButtonSignal named = learning[differing];
    std::vector<std::vector<Durations>> groups = SignalGroups(named.captures);
    for (const ButtonSignal& other : learning) {
      for (const Durations& capture : other.captures) {
        for (const auto& group : groups) {
          if (other.name != named.name && SameSignal(group.front(), capture)) return false;
        }
      }
    }
    if (groups.size() < 2) return false;
    learning.erase(learning.begin() + differing);
    for (auto& group : groups) learning.push_back({named.name, std::move(group)});
    split.push_back({Finding::kSeveralSignals, text::SeveralSignals(named.name, groups.size())});
  }
  result.report.insert(result.report.begin() + 1, split.begin(), split.end());
  return true;
}

std::string IniText(const LearnResult& result, bool withCommands) {
  std::string ini;
  auto line = [&](const std::string& content) { ini += content + "\r\n"; };
  const CaptureSettings& s = result.choice.settings;
  const bool periods = s.periodForm.Enabled();
  const bool inUs = s.packetStopUs != CaptureSettings::kNotSet;
  auto decimal = [](std::int32_t value) { return std::to_string(value); };
  std::vector<std::pair<const char*, std::string>> keys = {{"TIMER_TYPE", decimal(s.timerType)}};
  if (s.edgeWait) keys.push_back({"EDGE_WAIT", "1"});
  keys.insert(keys.end(), {{"PACKET_SLEEP", decimal(s.packetSleep)},
                           {"SLEEP_TIMEBIG", decimal(s.sleepTimeBig)},
                           {"SLEEP_TIMESMALL", decimal(s.sleepTimeSmall)}});
  keys.push_back(inUs ? std::pair{"PACKET_STOP_US", decimal(s.packetStopUs)}
                      : std::pair{"PACKET_STOP_PAUSE", decimal(s.packetStopPause)});
  keys.push_back({"PACKET_STOP_VALUE", decimal(s.packetStopValue)});
  keys.push_back(s.packetStartUs != CaptureSettings::kNotSet
                     ? std::pair{"PACKET_START_US", decimal(s.packetStartUs)}
                     : std::pair{"PACKET_START_PAUSE", decimal(s.packetStartPause)});
  keys.insert(keys.end(), {{"PACKET_START_VALUE", decimal(s.packetStartValue)},
                           {"BUFFER_SIZE", decimal(s.bufferSize)},
                           {"ADDPRECISION", decimal(s.addPrecision)}});
  if (periods) {
    keys.push_back({"CODE_PERIODS", BoundsText(s.periodForm)});
    keys.push_back({"CODE_LONG_BURST", decimal(s.periodForm.longBurstUs)});
  } else {
    keys.push_back({"PACKET_MAX", decimal(s.packetMax)});
    keys.push_back({"PACKET_MIN", decimal(s.packetMin)});
  }
  keys.insert(keys.end(), {{"PACKET_VALID", decimal(s.packetValid)},
                           {"PACKET_ELEMENT", decimal(s.packetElement)},
                           {"CLASS_PRIORITY", decimal(s.classPriority)}});
  const std::size_t sections = std::min(result.commands.size(), kMostSections);
  if (withCommands && sections > kSections) {
    keys.push_back({"LAST_COMMAND", decimal(static_cast<std::int32_t>(sections))});
  }
  for (const char* header : text::kHeader) line(header);
  line("");
  line("[CONFIG]");
  for (const auto& [key, value] : keys) {
    for (const auto& [why, reason] : result.choice.why) {
      if (why == key) line("; " + reason);
    }
    if (std::string(key) == "LAST_COMMAND") {
      line(text::LastCommand(value));
    }
    line(std::string(key) + "=" + value);
  }
  line("");
  line("[COM]");
  line(text::kPort);
  line("Port=1");
  if (!withCommands) return ini;
  std::size_t number = 0;
  for (const LearnedCommand& command : result.commands) {
    if (++number > kMostSections) break;
    line("");
    line("[COMMAND" + std::to_string(number) + "]");
    line("; " + command.note);
    line("Value=" + command.value);
    line("Action=" + command.action);
    line("Descr=" + Utf8ToCp1251(command.name));
  }
  return ini;
}

}  // namespace vireo::learn
