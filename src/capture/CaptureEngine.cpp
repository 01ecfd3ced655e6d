#include "capture/CaptureEngine.h"

#include <limits>

#include "capture/CommandLookup.h"
#include "capture/EventReport.h"
#include "capture/Messages.h"
#include "config/NumberText.h"
#include "signal/BoardStream.h"
#include "text/Cp1251.h"

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

// Bounds each wait of the quiet line for an edge: a stop interrupts it at
// once, and an edge the driver failed to report costs no more than this.
constexpr std::int32_t kEdgeWaitBoundMs = 100;

// The packet start and end lines give their pauses in slots of the frame;
// a pause in microseconds, from an opt-in key, is counted in slots exactly.
std::string PacketLine(const char* prefix, std::int32_t bufferMs, std::int32_t pauseMs,
                       std::int32_t pauseUs, const char* colour) {
  std::int64_t points = pauseUs == CaptureSettings::kNotSet
                            ? static_cast<std::int64_t>(kSlotCount / bufferMs) * pauseMs
                            : std::int64_t{kSlotCount} * pauseUs / (std::int64_t{bufferMs} * 1000);
  return prefix + DecimalText(points) + " " + colour + msg::kPointsSuffix;
}

// The first tick count at which amount / unitsPerSecond seconds have passed
// (amount is never negative), saturating where the product leaves the
// 64-bit range.
std::int64_t TicksFor(std::int64_t amount, std::int64_t unitsPerSecond, std::int64_t rate) {
  if (amount > std::numeric_limits<std::int64_t>::max() / rate) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return (amount * rate + unitsPerSecond - 1) / unitsPerSecond;
}

// "Lasted more than ms milliseconds", as the whole milliseconds
// (ticks * 1000 / rate, truncated) exceed it: from (ms + 1) ms on.
std::int64_t MoreThanMs(std::int32_t ms, std::int64_t rate) {
  return TicksFor(std::int64_t{ms} + 1, 1000, rate);
}
}  // namespace

CaptureEngine::CaptureEngine(SerialLine& line, ClockHardware& clockHardware,
                             ProcessControl& process)
    : line_(&line),
      ctsLine_(line),
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
  // A worker waiting for an edge of the quiet line sees the 666 at once.
  ctsLine_.InterruptWait();
  if (boardLine_ != nullptr) boardLine_->InterruptWait();
}

void CaptureEngine::WorkerMain() {
  if (!RunStartUp()) return;
  while (runState_.Get() != kStopRequested) CaptureStep();
  FinishRun();
}

void CaptureEngine::Fail(const std::string& message) { LogAndStop(log_, runState_, message); }

bool CaptureEngine::ChooseLine() {
  const std::string receiver = config_.GetString("COM", "Receiver");
  const std::string upper = UpperCase1251(receiver);
  boardInUse_ = upper == "BOARD";
  if (!boardInUse_ && !upper.empty() && upper != "CTS") {
    log_.AppendLog(BadValueLine("Receiver", receiver, msg::kAllowedReceivers));
    return false;
  }
  if (boardInUse_ && boardLine_ == nullptr) {
    log_.AppendLog(msg::kNoBoardLine);
    return false;
  }
  line_ = boardInUse_ ? boardLine_ : &ctsLine_;
  return true;
}

bool CaptureEngine::CheckBoard(const std::string& portText) {
  const std::string answer = line_->BoardAnswer();
  if (answer.empty()) {
    log_.AppendLog(msg::kBoardSilentPrefix + portText);
    return false;
  }
  if (answer != kBoardHello) {
    // Another device's chatter goes to the log as plain ASCII.
    std::string shown;
    for (char c : answer) shown += c >= ' ' && c <= '~' ? c : '?';
    log_.AppendLog(msg::kNotBoardPrefix + shown + "'");
    return false;
  }
  log_.AppendLog(msg::kBoardFoundPrefix + answer);
  return true;
}

void CaptureEngine::EndRun() {
  if (lineOpenedThisRun_) {
    line_->Close();
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
  optIn_ = ReadOptInKeys(config_);
  if (!ChooseLine()) {
    EndRun();
    return false;
  }
  line_->WantEdgeWait(AsksEdgeWait(optIn_));
  if (!line_->Open(port)) {
    log_.AppendLog(msg::kCannotOpenPrefix + portText + "'");
    EndRun();
    return false;
  }
  lineOpenedThisRun_ = true;
  log_.AppendLog(msg::kOpenedPrefix + portText);
  if (boardInUse_ && !CheckBoard(portText)) {
    EndRun();
    return false;
  }

  if (!line_->SetDtr(true)) {
    log_.AppendLog(msg::kCannotSetDtr);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kDtrOn);
  if (!line_->SetRts(true)) {
    log_.AppendLog(msg::kCannotSetRts);
    EndRun();
    return false;
  }
  log_.AppendLog(msg::kRtsOn);

  elapsedTicks_ = 0;
  changeTime_ = clock_.Now();
  clockHardware_.Sleep(kReceiverPowerUpMs);

  lastLevel_ = line_->ReadCts();
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

  const bool blockRead = ReadCaptureBlock(config_, log_, runState_, settings_, optIn_);
  if (!CheckOptInKeys(optIn_, log_, runState_, settings_) || !blockRead) {
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
                            settings_.packetStartPause, settings_.packetStartUs,
                            settings_.packetStartValue != 0 ? msg::kStartWhite : msg::kStartBlack));
  log_.AppendLog(PacketLine(msg::kPacketEndPrefix, settings_.bufferSize, settings_.packetStopPause,
                            settings_.packetStopUs,
                            settings_.packetStopValue != 0 ? msg::kEndWhite : msg::kEndBlack));
  if (!StartOptIns()) {
    EndRun();
    return false;
  }
  ticks_.sleep = MoreThanMs(settings_.packetSleep, rate);
  ticks_.start = settings_.packetStartUs == CaptureSettings::kNotSet
                     ? MoreThanMs(settings_.packetStartPause, rate)
                     : TicksFor(settings_.packetStartUs, 1'000'000, rate);
  ticks_.stop = settings_.packetStopUs == CaptureSettings::kNotSet
                    ? MoreThanMs(settings_.packetStopPause, rate)
                    : std::int64_t{settings_.packetStopUs} * rate / 1'000'000 + 1;
  startAllowed_ = true;

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

// The opt-in settings in force, each with its start-up line; false when
// the port cannot wait for an edge (its line logged, a stop requested).
bool CaptureEngine::StartOptIns() {
  frames_.periodForm = settings_.periodForm;
  const PeriodForm& form = settings_.periodForm;
  if (form.Enabled()) {
    std::string line = msg::kPeriodCodePrefix;
    for (int i = 0; i < form.boundCount; ++i) line += " " + DecimalText(form.boundsUs[i]);
    log_.AppendLog(line);
    if (form.longBurstUs > 0) {
      log_.AppendLog(msg::kLongBurstPrefix + DecimalText(form.longBurstUs) +
                     msg::kMicrosecondsSuffix);
    }
  }
  if (settings_.lastCommand != CaptureSettings::kNotSet) {
    log_.AppendLog(msg::kLastCommandPrefix + DecimalText(settings_.lastCommand));
  }
  if (settings_.edgeWait) {
    if (!line_->StartEdgeWait()) {
      Fail(msg::kCannotWaitEdge);
      return false;
    }
    log_.AppendLog(msg::kEdgeWaitOn);
  }
  return true;
}

void CaptureEngine::FinishRun() {
  log_.AppendLog(msg::kThreadStopped);
  process_.SetPriorityClass(PriorityClass::Normal);
  EndRun();
}

void CaptureEngine::RestartTiming(std::int32_t level) {
  lastLevel_ = level;
  elapsedTicks_ = 0;
  changeTime_ = clock_.Now();
}

// True when the level changed (and the timing restarted).
bool CaptureEngine::UpdateTiming(std::int32_t level, std::int64_t now) {
  if (level == lastLevel_) {
    elapsedTicks_ = now - changeTime_;
    return false;
  }
  RestartTiming(level);
  startAllowed_ = true;
  return true;
}

void CaptureEngine::CaptureStep() {
  std::int32_t level = line_->ReadCts();
  std::int64_t now = clock_.Now();
  std::int32_t state = runState_.Get();
  std::int32_t next;
  switch (state) {
    case kIdle:
      next = StepIdle(level);
      break;
    case kArmed:
      next = StepArmed(level, now);
      break;
    case kReceiving:
      next = StepReceiving(level, now);
      break;
    default:
      return;
  }
  // A stop stored by another thread meanwhile stays.
  if (next != state) runState_.Transition(state, next);
}

std::int32_t CaptureEngine::StepIdle(std::int32_t level) {
  if (boardInUse_) {
    if (line_->TakeOverflows() > 0) log_.AppendLog(msg::kBoardOverflow);
    if (line_->StreamLost()) {
      Fail(msg::kBoardLost);
      return kIdle;
    }
  }
  if (!settings_.edgeWait) {
    clockHardware_.Sleep(settings_.sleepTimeBig);
  } else if (level == lastLevel_) {
    // The timing of the first level starts at the wake, not a poll later.
    line_->WaitForEdge(kEdgeWaitBoundMs);
    level = line_->ReadCts();
  }
  std::int32_t next = kIdle;
  if (level != lastLevel_) {
    next = kArmed;
    frames_.ResetAll(settings_.addPrecision, settings_.bufferSize, settings_.packetValid);
    RestartTiming(level);
    startAllowed_ = true;
  }
  lastLevel_ = level;
  return next;
}

std::int32_t CaptureEngine::StepArmed(std::int32_t level, std::int64_t now) {
  UpdateTiming(level, now);
  std::int32_t next = kArmed;
  if (elapsedTicks_ >= ticks_.sleep) next = kIdle;
  if (elapsedTicks_ >= ticks_.start && lastLevel_ == settings_.packetStartValue && startAllowed_) {
    next = kReceiving;
    frames_.ResetPacket(settings_.bufferSize, settings_.packetValid, level == 1, changeTime_);
    RestartTiming(level);
  }
  return next;
}

std::int32_t CaptureEngine::StepReceiving(std::int32_t level, std::int64_t now) {
  frames_.MarkSample(level == 1);
  if (UpdateTiming(level, now)) frames_.MarkEdge(changeTime_);
  if (elapsedTicks_ < ticks_.stop || level != settings_.packetStopValue) {
    return kReceiving;
  }
  frames_.AcceptPacket();
  std::string code = frames_.RenderCode(settings_.packetMax, settings_.packetMin);
  RecogniseCode(code);
  if (frames_.debugMode.load()) {
    log_.AppendLog(frames_.RenderCode(settings_.packetMax, settings_.packetMin));
  }
  RestartTiming(level);
  startAllowed_ = settings_.packetStartUs == CaptureSettings::kNotSet;
  return kArmed;
}

void CaptureEngine::RecogniseCode(const std::string& code) {
  if (frames_.debugMode.load()) return;
  std::int32_t n =
      FindCommand(config_, code,
                  settings_.lastCommand == CaptureSettings::kNotSet ? kLastLookedUpCommand
                                                                    : settings_.lastCommand);
  if (n != 0) {
    queue_.Push(DecimalText(n), settings_.sleepTimeSmall, clockHardware_);
  } else {
    log_.AppendLog(msg::kNoCommandPrefix + code + "'");
  }
}

}  // namespace vireo
