#include "capture/CaptureSettings.h"

#include <algorithm>

#include "capture/EventReport.h"
#include "capture/Messages.h"

namespace vireo {

std::int32_t ReadSetting(SharedConfig& config, LogSink& log, RunState& state,
                         const std::string& key, bool positiveOnly) {
  std::int32_t value = config.GetInt("CONFIG", key);
  if (positiveOnly && value <= 0) LogAndStop(log, state, key + "<=0");
  return value;
}

OptInKeys ReadOptInKeys(SharedConfig& config) {
  OptInKeys keys;
  keys.edgeWait = config.GetString("CONFIG", "EDGE_WAIT");
  keys.packetStartUs = config.GetString("CONFIG", "PACKET_START_US");
  keys.packetStopUs = config.GetString("CONFIG", "PACKET_STOP_US");
  keys.codePeriods = config.GetString("CONFIG", "CODE_PERIODS");
  keys.codeLongBurst = config.GetString("CONFIG", "CODE_LONG_BURST");
  keys.lastCommand = config.GetString("CONFIG", "LAST_COMMAND");
  return keys;
}

namespace {

constexpr std::int64_t kLongestUs = 1'000'000;
// Each look-up reads the sections one by one: a thousand is past any handset.
constexpr std::int64_t kMostCommands = 1000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A whole decimal number between blanks, in [low, high]; unlike atoi, any
// other character makes it bad, so that no typing slip reads as a value.
bool ParseWhole(const std::string& text, std::size_t begin, std::size_t end, std::int64_t low,
                std::int64_t high, std::int32_t& value) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const bool negative = begin < end && text[begin] == '-';
  if (negative || (begin < end && text[begin] == '+')) ++begin;
  if (begin == end) return false;
  std::int64_t magnitude = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLongestUs) return false;  // beyond every key's range, before it can overflow
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < low || signedValue > high) return false;
  value = static_cast<std::int32_t>(signedValue);
  return true;
}

bool ParsePeriods(const std::string& text, PeriodForm& form) {
  form.boundCount = 0;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = std::min(text.find(',', begin), text.size());
    std::int32_t bound = 0;
    if (form.boundCount == PeriodForm::kMaxBounds ||
        !ParseWhole(text, begin, comma, 1, kLongestUs, bound) ||
        (form.boundCount > 0 && bound <= form.boundsUs[form.boundCount - 1])) {
      form.boundCount = 0;
      return false;
    }
    form.boundsUs[form.boundCount++] = bound;
    if (comma == text.size()) return true;
    begin = comma + 1;
  }
}

}  // namespace

bool AsksEdgeWait(const OptInKeys& optIn) {
  std::int32_t value = 0;
  return ParseWhole(optIn.edgeWait, 0, optIn.edgeWait.size(), 0, 1, value) && value == 1;
}

bool CheckOptInKeys(const OptInKeys& optIn, LogSink& log, RunState& state,
                    CaptureSettings& settings) {
  settings.edgeWait = false;
  settings.packetStartUs = CaptureSettings::kNotSet;
  settings.packetStopUs = CaptureSettings::kNotSet;
  settings.periodForm = PeriodForm{};
  settings.lastCommand = CaptureSettings::kNotSet;
  bool ok = true;
  auto bad = [&](const char* key, const std::string& text, const char* allowed) {
    LogAndStop(log, state, BadValueLine(key, text, allowed));
    ok = false;
  };
  std::int32_t value = 0;
  if (!optIn.edgeWait.empty()) {
    if (ParseWhole(optIn.edgeWait, 0, optIn.edgeWait.size(), 0, 1, value)) {
      settings.edgeWait = value == 1;
    } else {
      bad("EDGE_WAIT", optIn.edgeWait, msg::kAllowedFlag);
    }
  }
  struct NumberKey {
    const char* name;
    const std::string OptInKeys::*text;
    std::int64_t low, high;
    const char* allowed;
    std::int32_t CaptureSettings::*field;
  };
  static constexpr NumberKey kNumbers[] = {
      {"PACKET_START_US", &OptInKeys::packetStartUs, 0, kLongestUs, msg::kAllowedFromZero,
       &CaptureSettings::packetStartUs},
      {"PACKET_STOP_US", &OptInKeys::packetStopUs, 1, kLongestUs, msg::kAllowedFromOne,
       &CaptureSettings::packetStopUs},
      {"LAST_COMMAND", &OptInKeys::lastCommand, 1, kMostCommands, msg::kAllowedCommands,
       &CaptureSettings::lastCommand},
  };
  for (const NumberKey& key : kNumbers) {
    const std::string& text = optIn.*key.text;
    if (text.empty()) continue;
    if (ParseWhole(text, 0, text.size(), key.low, key.high, value)) {
      settings.*key.field = value;
    } else {
      bad(key.name, text, key.allowed);
    }
  }
  if (!optIn.codePeriods.empty() && !ParsePeriods(optIn.codePeriods, settings.periodForm)) {
    bad("CODE_PERIODS", optIn.codePeriods, msg::kAllowedPeriods);
  }
  if (!optIn.codeLongBurst.empty()) {
    if (optIn.codePeriods.empty()) {
      bad("CODE_LONG_BURST", optIn.codeLongBurst, msg::kAllowedWithPeriods);
    } else if (ParseWhole(optIn.codeLongBurst, 0, optIn.codeLongBurst.size(), 0, kLongestUs,
                          value)) {
      settings.periodForm.longBurstUs = value;
    } else {
      bad("CODE_LONG_BURST", optIn.codeLongBurst, msg::kAllowedFromZero);
    }
  }
  return ok;
}

bool ReadCaptureBlock(SharedConfig& config, LogSink& log, RunState& state,
                      CaptureSettings& settings, const OptInKeys& optIn) {
  struct Key {
    const char* name;
    bool positiveOnly;
    std::int32_t CaptureSettings::*field;
  };
  static constexpr Key kBlock[] = {
      {"PACKET_SLEEP", true, &CaptureSettings::packetSleep},
      {"SLEEP_TIMEBIG", true, &CaptureSettings::sleepTimeBig},
      {"SLEEP_TIMESMALL", true, &CaptureSettings::sleepTimeSmall},
      {"PACKET_STOP_PAUSE", true, &CaptureSettings::packetStopPause},
      {"PACKET_STOP_VALUE", false, &CaptureSettings::packetStopValue},
      {"PACKET_START_PAUSE", true, &CaptureSettings::packetStartPause},
      {"PACKET_START_VALUE", false, &CaptureSettings::packetStartValue},
      {"BUFFER_SIZE", true, &CaptureSettings::bufferSize},
      {"ADDPRECISION", true, &CaptureSettings::addPrecision},
      {"PACKET_MAX", true, &CaptureSettings::packetMax},
      {"PACKET_MIN", false, &CaptureSettings::packetMin},
      {"PACKET_VALID", false, &CaptureSettings::packetValid},
      {"PACKET_ELEMENT", false, &CaptureSettings::packetElement},
  };
  // The keys an opt-in key replaces are read as they are, unchecked.
  auto replaced = [&optIn](const Key& key) {
    return (key.field == &CaptureSettings::packetStartPause && !optIn.packetStartUs.empty()) ||
           (key.field == &CaptureSettings::packetStopPause && !optIn.packetStopUs.empty()) ||
           (key.field == &CaptureSettings::packetMax && !optIn.codePeriods.empty());
  };
  bool ok = true;
  for (const Key& key : kBlock) {
    const bool positiveOnly = key.positiveOnly && !replaced(key);
    settings.*key.field = ReadSetting(config, log, state, key.name, positiveOnly);
    if (positiveOnly && settings.*key.field <= 0) ok = false;
  }
  return ok;
}

std::string BadValueLine(const char* key, const std::string& text, const char* allowed) {
  return std::string(msg::kBadValuePrefix) + key + "=" + text + " (" + allowed + ")";
}

}  // namespace vireo
