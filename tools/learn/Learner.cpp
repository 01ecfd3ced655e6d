#include "Learner.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "Cp1251.h"
#include "EngineRun.h"
#include "Press.h"
#include "ValueChoice.h"
#include "signal/CodeText.h"

namespace vireo::learn {

namespace {

constexpr std::size_t kSections = 49;  // the look-up reads COMMAND1 to COMMAND49
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

struct Trial {
  SettingsChoice choice;
  ValueOutcome values;
  PressCodes codes;
  std::vector<std::vector<int>> captureOf;  // [button][press]
  int right = 0, wrong = 0;
  bool replayed = false;  // false when the engine's configuration could not be written
};

Trial TryStopPause(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
                   std::int32_t stopPause) {
  Trial trial;
  trial.choice = ChooseSettings(buttons, stopPause);
  LearnResult bare;
  bare.choice = trial.choice;
  EngineRunner runner(IniText(bare, false));
  trial.replayed = runner.Ready();
  if (!trial.replayed) return trial;
  std::vector<std::vector<std::vector<std::vector<std::int32_t>>>> ratios(buttons.size());
  trial.captureOf.resize(buttons.size());
  for (std::size_t b = 0; b < buttons.size(); ++b) {
    for (int p = 0; p < options.presses; ++p) {
      const int capture = p % static_cast<int>(buttons[b].captures.size());
      std::mt19937_64 random(PressSeed(options.seed, b, p));
      Distortion distortion = RandomDistortion(random, options.maxStretchUs);
      Durations press = Distort(buttons[b].captures[capture], distortion, random);
      EngineOutcome outcome = runner.Run(press, distortion, true);
      auto& lists = ratios[b].emplace_back();
      for (const std::string& line : outcome.lines) {
        lists.push_back(DebugRatios(line));
      }
      trial.captureOf[b].push_back(capture);
    }
  }
  // The threshold between the symbols is the one under which the Values
  // recognise the most presses: the pairs a receiver's stretch pushes
  // towards each other decide it, not the bulk of them.
  std::int32_t bestThreshold = 0;
  for (double t = kLowestThreshold; t <= kHighestThreshold; t *= kThresholdStep) {
    const auto threshold = static_cast<std::int32_t>(t);
    PressCodes codes(buttons.size());
    for (std::size_t b = 0; b < buttons.size(); ++b) {
      for (const auto& lists : ratios[b]) {
        auto& press = codes[b].emplace_back();
        for (const auto& r : lists) press.push_back(CodeUnder(r, threshold));
      }
    }
    ValueOutcome values = ChooseValues(codes);
    int right = 0, wrong = 0;
    for (std::size_t b = 0; b < buttons.size(); ++b)
      right += values.right[b], wrong += values.wrong[b];
    const int score = right - kWrongCost * wrong,
              bestScore = trial.right - kWrongCost * trial.wrong;
    // On a tie, the threshold nearer 2:1, which splits short pairs from long.
    if (bestThreshold == 0 || score > bestScore ||
        (score == bestScore && std::abs(threshold - 200) < std::abs(bestThreshold - 200))) {
      bestThreshold = threshold;
      trial.codes = std::move(codes);
      trial.values = std::move(values);
      trial.right = right;
      trial.wrong = wrong;
    }
  }
  SetThreshold(trial.choice, bestThreshold,
               "Of the thresholds from " + std::to_string(static_cast<int>(kLowestThreshold)) +
                   " to " + std::to_string(static_cast<int>(kHighestThreshold)) +
                   " (hundredths of a pair's ratio) tried on the distorted presses, " +
                   std::to_string(bestThreshold) +
                   " recognised the most: a pair above it reads 1, "
                   "up to it 0.");
  return trial;
}

std::string Percent(int part, int whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", whole > 0 ? 100.0 * part / whole : 0.0);
  return text;
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

bool Learn(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
           LearnResult& result, std::string& error) {
  std::vector<std::int32_t> stops = StopPauseCandidates(buttons);
  if (stops.empty()) stops.push_back(8);
  Trial best;
  bool first = true;
  std::string tried = "stop pauses tried (ms: right, wrong):";
  // Several stop pauses are compared on a third of the presses, and the
  // best is learned again on all of them.
  LearnOptions sample = options;
  if (stops.size() > 1) sample.presses = std::max(4, options.presses / 3);
  std::int32_t bestStop = stops.front();
  for (std::int32_t stop : stops) {
    Trial trial = TryStopPause(buttons, sample, stop);
    tried += " " + std::to_string(stop) + ": " + std::to_string(trial.right) + ", " +
             std::to_string(trial.wrong) + ";";
    if (first || trial.right - kWrongCost * trial.wrong > best.right - kWrongCost * best.wrong) {
      best = std::move(trial);
      bestStop = stop;
      first = false;
    }
  }
  tried += " over " + std::to_string(sample.presses) + " presses a button";
  if (sample.presses != options.presses) best = TryStopPause(buttons, options, bestStop);
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
      return false;
    }
  }
  result = LearnResult{};
  result.choice = best.choice;
  result.report.push_back(tried);
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
    command.note = buttons[b].name + ": " + Percent(command.right, presses) + " of " +
                   std::to_string(presses) + " distorted presses recognised";
    const int other = v.collidesWith[b] >= 0                               ? v.collidesWith[b]
                      : v.mistakenFor[b] >= 0 && v.wrong[b] * 2 >= presses ? v.mistakenFor[b]
                                                                           : -1;
    if (other >= 0) {
      const std::string pair = "'" + command.name + "' and '" + buttons[other].name + "'";
      const std::string mirror = "'" + buttons[other].name + "' and '" + command.name + "'";
      if (std::find(reported.begin(), reported.end(), mirror) == reported.end()) {
        result.report.push_back("collision: " + pair + ": no Value tells them apart");
        reported.push_back(pair);
      }
      command.note += "; collides with " + buttons[other].name;
    } else if (command.value.empty()) {
      result.report.push_back("no Value: no part of the code of '" + command.name +
                              "' shows in its presses and in no other button's");
    }
    result.commands.push_back(std::move(command));
  }
  for (const std::string& name : best.choice.lateStart) {
    result.report.push_back("late start: '" + name +
                            "' opens with a burst short enough to be seen too late (the quiet "
                            "line is polled every 1 ms): its first frame is often missed");
  }
  for (const std::string& name : best.choice.noStart) {
    result.report.push_back("no start: '" + name +
                            "' has no burst of 2 ms or more, on which a packet could start");
  }
  for (const std::string& name : best.choice.tooLong) {
    result.report.push_back("too long: '" + name + "' does not fit a buffer of " +
                            std::to_string(best.choice.settings.bufferSize) + " ms");
  }
  if (result.commands.size() > kSections) {
    for (std::size_t i = kSections; i < result.commands.size(); ++i) {
      result.report.push_back("left out: '" + result.commands[i].name +
                              "' (only COMMAND1 to COMMAND49 are looked up)");
    }
  }
  const int all = result.right + result.wrong + result.none;
  result.report.push_back("expected recognition over " + std::to_string(all) +
                          " distorted presses: " + Percent(result.right, all) + " right, " +
                          Percent(result.wrong, all) + " wrong, " + Percent(result.none, all) +
                          " none");
  return true;
}

std::string IniText(const LearnResult& result, bool withCommands) {
  std::string text;
  auto line = [&](const std::string& content) {
    std::string cp1251;
    Utf8ToCp1251(content, cp1251);
    text += cp1251 + "\r\n";
  };
  const CaptureSettings& s = result.choice.settings;
  const std::pair<const char*, std::int32_t> keys[] = {
      {"TIMER_TYPE", s.timerType},
      {"PACKET_SLEEP", s.packetSleep},
      {"SLEEP_TIMEBIG", s.sleepTimeBig},
      {"SLEEP_TIMESMALL", s.sleepTimeSmall},
      {"PACKET_STOP_PAUSE", s.packetStopPause},
      {"PACKET_STOP_VALUE", s.packetStopValue},
      {"PACKET_START_PAUSE", s.packetStartPause},
      {"PACKET_START_VALUE", s.packetStartValue},
      {"BUFFER_SIZE", s.bufferSize},
      {"ADDPRECISION", s.addPrecision},
      {"PACKET_MAX", s.packetMax},
      {"PACKET_MIN", s.packetMin},
      {"PACKET_VALID", s.packetValid},
      {"PACKET_ELEMENT", s.packetElement},
      {"CLASS_PRIORITY", s.classPriority},
  };
  line("; Written by vireo-learn from recordings of this handset. Lines that begin");
  line("; with a semicolon are explanations: the reader keeps them under keys that");
  line("; nothing reads.");
  line("");
  line("[CONFIG]");
  for (const auto& [key, value] : keys) {
    for (const auto& [why, reason] : result.choice.why) {
      if (why == key) line("; " + reason);
    }
    line(std::string(key) + "=" + std::to_string(value));
  }
  line("");
  line("[COM]");
  line("; The receiver's port: COM1.");
  line("Port=1");
  if (!withCommands) return text;
  std::size_t number = 0;
  for (const LearnedCommand& command : result.commands) {
    if (++number > kSections) break;
    line("");
    line("[COMMAND" + std::to_string(number) + "]");
    line("; " + command.note);
    line("Value=" + command.value);
    line("Action=" + command.action);
    line("Descr=" + command.name);
  }
  return text;
}

}  // namespace vireo::learn
