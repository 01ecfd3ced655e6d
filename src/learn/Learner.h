// Learns a handset from its recordings: the capture settings, then a Value
// per button found by replaying distorted presses through the real engine,
// and the VIREO.INI text that holds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "learn/ButtonSignals.h"
#include "learn/SettingsChoice.h"

namespace vireo::learn {

struct LearnOptions {
  int presses = 24;  // distorted presses per button
  std::uint64_t seed = 1;
  std::int64_t maxStretchUs = 150;  // the most a receiver may lengthen a burst
  bool bindPower = false;
  bool periods = true;  // the opt-in settings may be chosen where they read more
};

struct LearnedCommand {
  std::string name;    // UTF-8, as read
  std::string value;   // empty: no Value tells this button from another
  std::string action;  // VOL_UP, VOL_DOWN, POWER_OFF or empty
  int right = 0, wrong = 0, none = 0;
  std::string note;  // a comment for its section, Windows-1251
};

// What a line of the report is about, for readers that pick some out.
enum class Finding {
  kTried,
  kSeveralSignals,
  kCollision,
  kNoValue,
  kUnsteady,
  kLateStart,
  kNoStart,
  kTooLong,
  kLeftOut,
  kExpected,
};

struct ReportLine {
  Finding finding;
  std::string text;  // Windows-1251
};

struct LearnResult {
  SettingsChoice choice;
  std::vector<LearnedCommand> commands;  // in section order
  std::vector<ReportLine> report;        // problems and the expected rate, one line each
  int right = 0, wrong = 0, none = 0;    // over the learning presses
};

// False with a message when the recordings cannot make a configuration: a
// button recorded twice with different signals.
bool Learn(const std::vector<ButtonSignal>& buttons, const LearnOptions& options,
           LearnResult& result, std::string& error);

// VIREO.INI in Windows-1251 with CR LF, its explanations in Russian; with `withCommands` false,
// only the settings (every button's code is then logged as unknown).
std::string IniText(const LearnResult& result, bool withCommands = true);

// The action a button's name asks for: VOL_UP or VOL_DOWN for volume
// buttons (English or Russian names), POWER_OFF for Power only when bound,
// else none.
std::string ActionFor(const std::string& name, bool bindPower);

// The ratios of a debug code line ("0  111|1  300|..."), in order.
std::vector<std::int32_t> DebugRatios(const std::string& line);

// The code a debug line's ratios give with PACKET_MAX at the threshold and
// PACKET_MIN one above it.
std::string CodeUnder(const std::vector<std::int32_t>& ratios, std::int32_t threshold);

}  // namespace vireo::learn
