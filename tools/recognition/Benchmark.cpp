#include "Benchmark.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "LircPeer.h"
#include "learn/ButtonSignals.h"
#include "learn/EngineRun.h"
#include "learn/Learner.h"
#include "learn/Press.h"
#include "learn/ValueChoice.h"
#include "platform/BoardLine.h"
#include "text/Cp1251.h"

namespace vireo::recognition {

namespace {

// irrecord ends a raw frame at the first pause this long: longer than any
// pause inside a frame, shorter than the gap before a repeat.
constexpr std::int64_t kLircGapUs = 20'000;

using learn::Judge;
using learn::Outcome;

void Count(Tally& tally, int who, Outcome outcome) {
  (outcome == Outcome::kRight   ? tally.right
   : outcome == Outcome::kWrong ? tally.wrong
                                : tally.none)[who] += 1;
}

std::string Percent(int part, int whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%6.2f", whole > 0 ? 100.0 * part / whole : 0.0);
  return text;
}

// The USB board's way to the engine: the module's levels timed to the
// microsecond, each sent as words when it ends (95 us to leave the UART),
// passed on by the USB bridge every flushUs (its latency timer), and shown
// by the board line's own replay a fixed delay late. The worker then polls
// the replay; 10 us is slower than it does (a read of the clock).
constexpr std::int64_t kBoardStepUs = 10;

learn::Durations ThroughBoard(const learn::Durations& press, std::int64_t flushUs) {
  BoardReplay replay(1'000'000, BoardLine::kDelayUs);
  learn::Durations shown;
  std::int64_t lastChange = -1;
  auto showUntil = [&](std::int64_t limit) {
    for (std::int64_t at = replay.NextChange(); at >= 0 && at <= limit; at = replay.NextChange()) {
      replay.LevelAt(at);
      if (lastChange >= 0) shown.push_back(at - lastChange);
      lastChange = at;
    }
  };
  std::int64_t t = 0;
  auto send = [&](bool light, std::int64_t us) {
    for (bool last = false; !last;) {
      last = us < BoardStreamDecoder::kContinuedUs;
      const std::int64_t part =
          last ? std::max<std::int64_t>(us, 1) : BoardStreamDecoder::kContinuedUs;
      t += part;
      us -= part;
      const std::int64_t arrival = (t + 95 + flushUs - 1) / flushUs * flushUs;
      showUntil(arrival);
      replay.AddLevel(light, static_cast<std::uint32_t>(part), !last, arrival);
    }
  };
  send(false, 20'000);
  for (std::size_t i = 0; i < press.size(); ++i) send(i % 2 == 0, press[i]);
  send(false, 100'000);
  showUntil(t + BoardLine::kDelayUs + flushUs);
  return shown;
}

}  // namespace

void Tally::Add(const Tally& other) {
  remotes += other.remotes;
  presses += other.presses;
  for (int who = 0; who < 3; ++who) {
    right[who] += other.right[who];
    wrong[who] += other.wrong[who];
    none[who] += other.none[who];
  }
}

std::vector<std::string> RemoteFiles(const BenchOptions& options, std::string& error) {
  std::vector<std::string> files;
  for (const std::string& folder : options.folders) {
    std::error_code failed;
    std::filesystem::recursive_directory_iterator it(folder, failed), end;
    if (failed) {
      error = "cannot read folder '" + folder + "'";
      return {};
    }
    for (; it != end; it.increment(failed)) {
      if (it->is_regular_file() && it->path().extension() == ".ir")
        files.push_back(it->path().string());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> taken;
  for (std::size_t i = 0; i < files.size(); i += static_cast<std::size_t>(options.every)) {
    taken.push_back(files[i]);
  }
  return taken;
}

bool RunRemote(const std::string& path, const BenchOptions& options, std::uint64_t remoteSeed,
               RemoteResult& result, std::string& error) {
  result.path = path;
  for (const std::string& folder : options.folders) {
    const std::string relative = std::filesystem::path(path).lexically_relative(folder).string();
    if (!relative.empty() && relative.rfind("..", 0) != 0) {
      result.category =
          relative.find('/') == std::string::npos ? "." : relative.substr(0, relative.find('/'));
    }
  }
  std::vector<learn::ButtonSignal> buttons;
  learn::LearnResult learned;
  std::string why;
  bool ok = learn::ReadButtonSignals({path}, buttons, why);
  learn::LearnOptions learnOptions;
  learnOptions.seed = remoteSeed;
  learnOptions.maxStretchUs = options.maxStretchUs;
  ok = ok && learn::Learn(buttons, learnOptions, learned, why);
  if (!ok) result.note = why;
  for (const learn::ReportLine& line : learned.report) {
    using learn::Finding;
    const Finding f = line.finding;
    if (f == Finding::kNoStart || f == Finding::kLateStart || f == Finding::kCollision ||
        f == Finding::kTooLong) {
      result.note += (result.note.empty() ? "" : "; ") + Cp1251ToUtf8(line.text);
    }
    result.unstartable = result.unstartable || f == Finding::kNoStart;
  }
  // Section number to button: the learner lists the commands in section order.
  std::vector<int> buttonOfSection(1, -1);
  for (const learn::LearnedCommand& command : learned.commands) {
    int index = -1;
    for (std::size_t b = 0; b < buttons.size(); ++b) {
      if (buttons[b].name == command.name) index = static_cast<int>(b);
    }
    buttonOfSection.push_back(index);
  }
  learn::EngineRunner runner(ok ? learn::IniText(learned) : std::string());
  std::vector<PressUs> presses;
  std::vector<int> pressed;
  Tally& tally = result.tally;
  tally.remotes = 1;
  for (std::size_t b = 0; b < buttons.size(); ++b) {
    for (int p = 0; p < options.presses; ++p) {
      // Seeds apart from the learner's, so that no press was seen in learning.
      std::mt19937_64 random(remoteSeed * 2'654'435'761ULL + b * 104'729ULL + p + 0x5eed);
      const auto& capture = buttons[b].captures[p % buttons[b].captures.size()];
      learn::Distortion distortion = learn::RandomDistortion(random, options.maxStretchUs);
      PressUs press = learn::Distort(capture, distortion, random);
      // The buttons whose sections the engine fired for the press.
      auto fired = [&](const learn::Durations& levels, const learn::Distortion& d) {
        std::vector<int> buttonsFired;
        if (!ok) return buttonsFired;
        for (int section : runner.Run(levels, d, false).commands) {
          buttonsFired.push_back(section > 0 && section < static_cast<int>(buttonOfSection.size())
                                     ? buttonOfSection[section]
                                     : -1);
        }
        return buttonsFired;
      };
      Count(tally, 0, Judge(fired(press, distortion), static_cast<int>(b)));
      learn::Distortion board = distortion;
      board.stepUs = kBoardStepUs;
      board.wakeUs = 0;  // the board line wakes early and the worker polls to the edge
      const std::int64_t flushUs =
          std::uniform_int_distribution<std::int64_t>(1, 16)(random) * 1000;
      Count(tally, 2, Judge(fired(ThroughBoard(press, flushUs), board), static_cast<int>(b)));
      ++tally.presses;
      presses.push_back(std::move(press));
      pressed.push_back(static_cast<int>(b));
    }
  }
  if (!options.lirc) return true;
  std::vector<LircButton> lircButtons;
  for (const learn::ButtonSignal& button : buttons) {
    lircButtons.push_back({FirstFrame(button.captures.front(), kLircGapUs)});
  }
  std::vector<std::vector<int>> decoded;
  if (!DecodeWithLirc(lircButtons, presses, options.workDir, decoded, error)) return false;
  for (std::size_t i = 0; i < presses.size(); ++i) Count(tally, 1, Judge(decoded[i], pressed[i]));
  return true;
}

void PrintTable(const std::vector<RemoteResult>& results, bool lirc, std::ostream& out) {
  std::map<std::string, Tally> byCategory;
  Tally total;
  for (const RemoteResult& r : results) {
    byCategory[r.category].Add(r.tally);
    total.Add(r.tally);
  }
  char line[256];
  std::snprintf(line, sizeof line, "%-28s %7s %7s | %-23s%s | Board right wrong none\n", "category",
                "remotes", "presses", "Vireo right wrong none",
                lirc ? " | LIRC right wrong none" : "");
  out << line;
  auto row = [&](const std::string& name, const Tally& t) {
    // One reader's right, wrong and none.
    auto cells = [&](int who) {
      return Percent(t.right[who], t.presses) + " " + Percent(t.wrong[who], t.presses) + " " +
             Percent(t.none[who], t.presses);
    };
    std::snprintf(line, sizeof line, "%-28s %7d %7d | %s", name.c_str(), t.remotes, t.presses,
                  cells(0).c_str());
    out << line;
    if (lirc) out << " | " << cells(1);
    out << " | " << cells(2) << "\n";
  };
  for (const auto& [name, tally] : byCategory) row(name, tally);
  row("total", total);
}

std::string CsvText(const std::vector<RemoteResult>& results) {
  std::string text =
      "remote,category,presses,vireo_right,vireo_wrong,vireo_none,lirc_right,lirc_wrong,lirc_none,"
      "board_right,board_wrong,board_none,note\n";
  for (const RemoteResult& r : results) {
    const Tally& t = r.tally;
    std::string note = r.note;
    std::replace(note.begin(), note.end(), '"', '\'');
    text += "\"" + r.path + "\"," + r.category + "," + std::to_string(t.presses);
    for (int who = 0; who < 3; ++who) {
      text += "," + std::to_string(t.right[who]) + "," + std::to_string(t.wrong[who]) + "," +
              std::to_string(t.none[who]);
    }
    text += ",\"" + note + "\"\n";
  }
  return text;
}

}  // namespace vireo::recognition
