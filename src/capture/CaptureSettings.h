// The capture settings of section CONFIG and the start-up's reading of them:
// each key read as an integer, the positive-only ones logged as KEY<=0 and
// turned into a stop request when they are not greater than 0.
#pragma once

#include <cstdint>
#include <string>

#include "capture/LogSink.h"
#include "capture/RunState.h"
#include "config/SharedConfig.h"
#include "signal/PeriodCode.h"

namespace vireo {

struct CaptureSettings {
  std::int32_t timerType = 0;
  std::int32_t packetSleep = 0;
  std::int32_t sleepTimeBig = 0;
  std::int32_t sleepTimeSmall = 0;
  std::int32_t packetStopPause = 0;
  std::int32_t packetStopValue = 0;
  std::int32_t packetStartPause = 0;
  std::int32_t packetStartValue = 0;
  std::int32_t bufferSize = 0;
  std::int32_t addPrecision = 0;
  std::int32_t packetMax = 0;
  std::int32_t packetMin = 0;
  std::int32_t packetValid = 0;
  std::int32_t packetElement = 0;
  std::int32_t classPriority = 0;

  // Opt-in keys, for handsets that the settings above cannot read. Each is
  // off while its key is absent, and then the settings above are the whole
  // story; a key present with a bad value stops the start-up.
  bool edgeWait = false;                 // EDGE_WAIT=1: the quiet line waits for CTS
  std::int32_t packetStartUs = kNotSet;  // PACKET_START_US, in place of PACKET_START_PAUSE
  std::int32_t packetStopUs = kNotSet;   // PACKET_STOP_US, in place of PACKET_STOP_PAUSE
  PeriodForm periodForm;                 // CODE_PERIODS and CODE_LONG_BURST
  std::int32_t lastCommand = kNotSet;    // LAST_COMMAND: the look-up goes on past COMMAND49

  static constexpr std::int32_t kNotSet = -1;
};

// The opt-in keys as read, before they are checked: each present key's text.
struct OptInKeys {
  std::string edgeWait, packetStartUs, packetStopUs, codePeriods, codeLongBurst, lastCommand;
};

OptInKeys ReadOptInKeys(SharedConfig& config);
// Whether EDGE_WAIT asks for waiting, known before the port is opened; its
// check comes with the other keys.
bool AsksEdgeWait(const OptInKeys& optIn);

// GetInt("CONFIG", key); with positiveOnly, a result <= 0 logs key + "<=0"
// and requests a stop. The result is returned in every case.
std::int32_t ReadSetting(SharedConfig& config, LogSink& log, RunState& state,
                         const std::string& key, bool positiveOnly);

// Reads PACKET_SLEEP to PACKET_ELEMENT in their order, each with its check;
// a key that an opt-in key replaces is read without it. False when any
// positive-only key failed (each has logged its own line).
bool ReadCaptureBlock(SharedConfig& config, LogSink& log, RunState& state,
                      CaptureSettings& settings, const OptInKeys& optIn = {});

// Checks the opt-in keys that are present and stores them in the settings;
// a bad value logs "Неверное значение KEY=text" with what it may be, and
// requests a stop. False when any failed.
bool CheckOptInKeys(const OptInKeys& optIn, LogSink& log, RunState& state,
                    CaptureSettings& settings);

// The log line of a key whose value cannot be used:
// "Неверное значение KEY=text (allowed)".
std::string BadValueLine(const char* key, const std::string& text, const char* allowed);

}  // namespace vireo
