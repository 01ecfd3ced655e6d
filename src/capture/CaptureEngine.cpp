#include "capture/CaptureEngine.h"

#include "capture/CommandLookup.h"
#include "capture/EventReport.h"
#include "capture/Messages.h"
#include "config/NumberText.h"

namespace vireo {

namespace {
constexpr std::int32_t kReceiverPowerUpMs = 500;
constexpr std::int64_t kMinTicksPerSecond = 100;

struct PriorityChoice {
  PriorityClass priority;
  const char* name;
};

PriorityChoice ChoosePriority(std::int32_t value) {
  switch (value) {
    case 0:
      return {PriorityClass::Idle, msg::kPriorityLow};
    case 1:
      return {PriorityClass::Normal, msg::kPriorityNormal};
    case 3:
      return {PriorityClass::Realtime, msg::kPriorityRealtime};
    default:
      return {PriorityClass::High, msg::kPriorityHigh};
  }
}

// The packet start and end lines give their pauses in slots of the frame.
std::string PacketLine(const char* prefix, std::int32_t bufferMs, std::int32_t pauseMs,
                       const char* colour) {
  std::int64_t points = static_cast<std::int64_t>(kSlotCount / bufferMs) * pauseMs;
  return prefix + DecimalText(points) + " " + colour + msg::kPointsSuffix;
}
}  // namespace

CaptureEngine::CaptureEngine(SerialLine& line, ClockHardware& clockHardware,
                             ProcessControl& process)
    : line_(line),
      clockHardware_(clockHardware),
      process_(process),
      clock_(clockHardware),
      queue_(log_, frames_.debugMode) {}

void CaptureEngine::StartWorker() {
  bool expected = false;
  if (runState_.Get() != kStopped || !workerPresent_.compare_exchange_strong(expected, true)) {
    // The present worker is asked to stop as a stop request would ask it: a
    // plain store of 666 could land after that worker has ended, and 666
    // with no worker would refuse every later START and hang the close.
    log_.AppendLog(msg::kSecondCopy);
    RequestStop();
    return;
  }
  stopDuringStartUp_.store(false);
  if (!process_.StartTimeCriticalThread([this] { WorkerMain(); })) {
    workerPresent_.store(false);
  }
}

void CaptureEngine::RequestStop() {
  // Marked first, so that a worker finishing its start-up sees either this
  // mark or, once it has stored 1, the 666 below.
  if (workerPresent_.load()) stopDuringStartUp_.store(true);
  runState_.RequestStop();
}

void CaptureEngine::WorkerMain() {
  if (!RunStartUp()) return;
  while (runState_.Get() != kStopRequested) CaptureStep();
  FinishRun();
}

void CaptureEngine::Fail(const std::string& message) { LogAndStop(log_, runState_, message); }

void CaptureEngine::EndRun() {
  if (lineOpenedThisRun_) {
    line_.Close();
    lineOpenedThisRun_ = false;
  }
  workerPresent_.store(false);
  runState_.Set(kStopped);
}

bool CaptureEngine::RunStartUp() {
  workerPresent_.store(true);
  lineOpenedThisRun_ = false;
  log_.MarkLogChanged();
  frames_.SetClock(&clock_);
  frames_.debugMode.store(false);

  if (!config_.Load(configPath_)) {
    log_.AppendLog(msg::kCannotReadIni);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kIniRead);

  if (!clock_.IsHighLevelAvailable()) log_.AppendLog(msg::kHighLevelUnavailable);
  if (!clock_.IsLowLevelAvailable()) log_.AppendLog(msg::kLowLevelUnavailable);

  settings_.timerType = ReadSetting(config_, log_, runState_, "TIMER_TYPE", false);
  clock_.Select(settings_.timerType);
  if (clock_.GetType() == PrecisionClock::kHighLevel) {
    log_.AppendLog(msg::kHighLevelInUse);
  } else if (clock_.GetType() == PrecisionClock::kLowLevel) {
    log_.AppendLog(msg::kLowLevelInUse);
  } else {
    log_.AppendLog(msg::kTimerError);
    EndRun();
    return false;
  }

  std::int32_t port = config_.GetInt("COM", "Port");
  std::string portText = config_.GetString("COM", "Port");
  if (!line_.Open(port)) {
    log_.AppendLog(msg::kCannotOpenPrefix + portText + "'");
    EndRun();
    return false;
  }
  lineOpenedThisRun_ = true;
  log_.AppendLog(msg::kOpenedPrefix + portText);

  if (!line_.SetDtr(true)) {
    log_.AppendLog(msg::kCannotSetDtr);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kDtrOn);
  if (!line_.SetRts(true)) {
    log_.AppendLog(msg::kCannotSetRts);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kRtsOn);

  elapsedMs_ = 0;
  changeTime_ = clock_.Now();
  clockHardware_.Sleep(kReceiverPowerUpMs);

  lastLevel_ = line_.ReadCts();
  if (lastLevel_ == -1) {
    Fail(msg::kCannotReadCts);
    EndRun();
    return false;
  }
  if (lastLevel_ == 0) {
    Fail(msg::kNoReceiver);
    Fail(msg::kCircuitAt);
    Fail(msg::kCircuitAddress);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kReceiverFound);

  if (!ReadCaptureBlock(config_, log_, runState_, settings_)) {
    EndRun();
    return false;
  }

  std::int64_t rate = clock_.TicksPerSecond();
  if (rate < kMinTicksPerSecond) {
    Fail(msg::kNoPerformance);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kTimerTicksPrefix + DecimalText(rate / 1000) + msg::kTimerTicksSuffix);
  log_.AppendLog(msg::kBufferPrefix + DecimalText(settings_.bufferSize) + msg::kBufferSuffix);
  log_.AppendLog(PacketLine(msg::kPacketStartPrefix, settings_.bufferSize,
                            settings_.packetStartPause,
                            settings_.packetStartValue != 0 ? msg::kStartWhite : msg::kStartBlack));
  log_.AppendLog(PacketLine(msg::kPacketEndPrefix, settings_.bufferSize, settings_.packetStopPause,
                            settings_.packetStopValue != 0 ? msg::kEndWhite : msg::kEndBlack));

  // Never overwrites a 666 stored meanwhile; a STOP pressed during the
  // start-up turns into that 666 here.
  runState_.Transition(kStopped, stopDuringStartUp_.load() ? kStopRequested : kIdle);

  settings_.classPriority = ReadSetting(config_, log_, runState_, "CLASS_PRIORITY", false);
  PriorityChoice priority = ChoosePriority(settings_.classPriority);
  if (!process_.SetPriorityClass(priority.priority)) {
    Fail(msg::kCannotSetPriorityPrefix + std::string(priority.name) + msg::kPrioritySuffix);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kPrioritySetPrefix + std::string(priority.name) + msg::kPrioritySuffix);
  log_.AppendLog(msg::kThreadStarted);
  log_.AppendLog("");
  return true;
}

void CaptureEngine::FinishRun() {
  log_.AppendLog(msg::kThreadStopped);
  process_.SetPriorityClass(PriorityClass::Normal);
  EndRun();
}

void CaptureEngine::RestartTiming(std::int32_t level) {
  lastLevel_ = level;
  elapsedMs_ = 0;
  changeTime_ = clock_.Now();
}

void CaptureEngine::UpdateTiming(std::int32_t level, std::int64_t now, std::int64_t rate) {
  if (level == lastLevel_) {
    elapsedMs_ = (now - changeTime_) * 1000 / rate;
  } else {
    RestartTiming(level);
  }
  lastLevel_ = level;
}

void CaptureEngine::CaptureStep() {
  std::int32_t level = line_.ReadCts();
  std::int64_t now = clock_.Now();
  std::int64_t rate = clock_.TicksPerSecond();
  std::int32_t state = runState_.Get();
  std::int32_t next;
  switch (state) {
    case kIdle:
      next = StepIdle(level);
      break;
    case kArmed:
      next = StepArmed(level, now, rate);
      break;
    case kReceiving:
      next = StepReceiving(level, now, rate);
      break;
    default:
      return;
  }
  // A stop stored by another thread meanwhile stays.
  if (next != state) runState_.Transition(state, next);
}

std::int32_t CaptureEngine::StepIdle(std::int32_t level) {
  clockHardware_.Sleep(settings_.sleepTimeBig);
  std::int32_t next = kIdle;
  if (level != lastLevel_) {
    next = kArmed;
    frames_.ResetAll(settings_.addPrecision, settings_.bufferSize, settings_.packetValid);
    RestartTiming(level);
  }
  lastLevel_ = level;
  return next;
}

std::int32_t CaptureEngine::StepArmed(std::int32_t level, std::int64_t now, std::int64_t rate) {
  UpdateTiming(level, now, rate);
  std::int32_t next = kArmed;
  if (elapsedMs_ > settings_.packetSleep) next = kIdle;
  if (elapsedMs_ > settings_.packetStartPause && lastLevel_ == settings_.packetStartValue) {
    next = kReceiving;
    frames_.ResetPacket(settings_.bufferSize, settings_.packetValid);
    RestartTiming(level);
  }
  return next;
}

std::int32_t CaptureEngine::StepReceiving(std::int32_t level, std::int64_t now, std::int64_t rate) {
  frames_.MarkSample(level == 1);
  UpdateTiming(level, now, rate);
  if (elapsedMs_ <= settings_.packetStopPause || level != settings_.packetStopValue) {
    return kReceiving;
  }
  frames_.AcceptPacket();
  std::string code = frames_.RenderCode(settings_.packetMax, settings_.packetMin);
  RecogniseCode(code);
  if (frames_.debugMode.load()) {
    log_.AppendLog(frames_.RenderCode(settings_.packetMax, settings_.packetMin));
  }
  RestartTiming(level);
  return kArmed;
}

void CaptureEngine::RecogniseCode(const std::string& code) {
  if (frames_.debugMode.load()) return;
  std::int32_t n = FindCommand(config_, code);
  if (n != 0) {
    queue_.Push(DecimalText(n), settings_.sleepTimeSmall, clockHardware_);
  } else {
    log_.AppendLog(msg::kNoCommandPrefix + code + "'");
  }
}

}  // namespace vireo
