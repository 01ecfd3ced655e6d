// CaptureEngine is the worker's whole state: it powers and samples the
// receiver, cuts the line levels into packets, turns each packet into a code
// text and hands recognised commands to the user interface through the
// command queue. It lives as long as the main window.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "capture/CaptureSettings.h"
#include "capture/CommandQueue.h"
#include "capture/LogSink.h"
#include "capture/Messages.h"
#include "capture/PrecisionClock.h"
#include "capture/RunState.h"
#include "config/SharedConfig.h"
#include "platform/ClockHardware.h"
#include "platform/ProcessControl.h"
#include "platform/SerialLine.h"
#include "signal/FramePair.h"

namespace vireo {

class CaptureEngine {
 public:
  CaptureEngine(SerialLine& line, ClockHardware& clockHardware, ProcessControl& process);
  CaptureEngine(const CaptureEngine&) = delete;
  CaptureEngine& operator=(const CaptureEngine&) = delete;

  // The line of the receiver board, read instead of `line` when VIREO.INI
  // asks for it; without one such a VIREO.INI ends the worker. Set before
  // the first worker starts.
  void SetBoardLine(SerialLine* board) { boardLine_ = board; }

  // User-interface thread: start a worker, unless one is present or starting
  // (then log the second-copy line and ask the present one to stop).
  void StartWorker();
  // Asks the worker to stop, also while it is still starting up.
  void RequestStop();
  // True from StartWorker until the worker has ended: the engine must not be
  // destroyed before this is false.
  bool WorkerPresent() const { return workerPresent_.load() || runState_.Get() != kStopped; }

  // The worker thread's body: start-up, capture loop, end.
  void WorkerMain();

  // The pieces of WorkerMain, for a driver that runs the worker step by step
  // on one thread. RunStartUp returns false when the start-up failed (the run
  // has then ended); after a successful start-up, CaptureStep until the run
  // state is 666, then FinishRun.
  bool RunStartUp();
  void CaptureStep();
  void FinishRun();

  void RecogniseCode(const std::string& code);

  // Where the start-up reads the configuration; VIREO.INI in the current
  // directory unless a tool that runs the engine in-process says otherwise.
  void SetConfigPath(const std::string& path) { configPath_ = path; }

  LogSink& Log() { return log_; }
  RunState& State() { return runState_; }
  CommandQueue& Queue() { return queue_; }
  SharedConfig& Config() { return config_; }
  FramePair& Frames() { return frames_; }
  PrecisionClock& Clock() { return clock_; }
  const CaptureSettings& Settings() const { return settings_; }

 private:
  void Fail(const std::string& message);
  void EndRun();
  // Picks the line from [COM] Receiver; false when the run cannot go on.
  bool ChooseLine();
  // The board's answer checked, and its line logged; false when wrong.
  bool CheckBoard(const std::string& portText);
  bool StartOptIns();
  void RestartTiming(std::int32_t level);
  bool UpdateTiming(std::int32_t level, std::int64_t now);
  std::int32_t StepIdle(std::int32_t level);
  std::int32_t StepArmed(std::int32_t level, std::int64_t now);
  std::int32_t StepReceiving(std::int32_t level, std::int64_t now);

  // The line this run reads: ctsLine_, or the board's.
  SerialLine* line_;
  SerialLine& ctsLine_;
  SerialLine* boardLine_ = nullptr;
  bool boardInUse_ = false;
  ClockHardware& clockHardware_;
  ProcessControl& process_;

  LogSink log_;
  RunState runState_;
  SharedConfig config_;
  PrecisionClock clock_;
  FramePair frames_;
  CaptureSettings settings_;
  CommandQueue queue_;

  // Capture counters, the worker's own. The elapsed time is kept in clock
  // ticks and compared with the settings turned into ticks at the start-up,
  // so that the sampling loop divides nothing.
  std::int32_t lastLevel_ = 1;
  std::int64_t changeTime_ = 0;
  std::int64_t elapsedTicks_ = 0;
  struct Thresholds {
    std::int64_t sleep = 0, start = 0, stop = 0;  // a condition holds from this many ticks on
  } ticks_;
  // With PACKET_START_US, a packet starts only on a level that began after
  // the last packet's end, so that a quiet line never starts one after another.
  bool startAllowed_ = true;
  OptInKeys optIn_;

  std::string configPath_ = msg::kIniName;
  bool lineOpenedThisRun_ = false;
  // The run state is still 0 while a worker starts up; these two mark it.
  std::atomic<bool> workerPresent_{false};
  std::atomic<bool> stopDuringStartUp_{false};
};

}  // namespace vireo
