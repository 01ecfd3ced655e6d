// The capture settings of section CONFIG and the start-up's reading of them:
// each key read as an integer, the positive-only ones logged as KEY<=0 and
// turned into a stop request when they are not greater than 0.
#pragma once

#include <cstdint>
#include <string>

#include "capture/LogSink.h"
#include "capture/RunState.h"
#include "config/SharedConfig.h"

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
};

// GetInt("CONFIG", key); with positiveOnly, a result <= 0 logs key + "<=0"
// and requests a stop. The result is returned in every case.
std::int32_t ReadSetting(SharedConfig& config, LogSink& log, RunState& state,
                         const std::string& key, bool positiveOnly);

// Reads PACKET_SLEEP to PACKET_ELEMENT in their order, each with its check.
// False when any positive-only key failed (each has logged its own line).
bool ReadCaptureBlock(SharedConfig& config, LogSink& log, RunState& state,
                      CaptureSettings& settings);

}  // namespace vireo
