#include "capture/CaptureSettings.h"

#include "capture/EventReport.h"

namespace vireo {

std::int32_t ReadSetting(SharedConfig& config, LogSink& log, RunState& state,
                         const std::string& key, bool positiveOnly) {
  std::int32_t value = config.GetInt("CONFIG", key);
  if (positiveOnly && value <= 0) LogAndStop(log, state, key + "<=0");
  return value;
}

bool ReadCaptureBlock(SharedConfig& config, LogSink& log, RunState& state,
                      CaptureSettings& settings) {
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
  bool ok = true;
  for (const Key& key : kBlock) {
    settings.*key.field = ReadSetting(config, log, state, key.name, key.positiveOnly);
    if (key.positiveOnly && settings.*key.field <= 0) ok = false;
  }
  return ok;
}

}  // namespace vireo
