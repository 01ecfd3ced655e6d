// The real capture engine, in-process on the simulated receiver and clock,
// over one press: what it logged after its start-up and what it queued.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureSettings.h"
#include "learn/Press.h"
#include "signal/FramePair.h"
#include "signal/SignalViewSink.h"

namespace vireo::learn {

struct EngineOutcome {
  bool started = false;            // the start-up accepted the configuration
  std::vector<std::string> lines;  // log lines between the start-up and the end, Windows-1251
  std::vector<int> commands;       // command numbers queued, in order
};

// Makes the signal view to attach to a run's engine, as the settings window
// would attach its own; the learner draws nothing itself.
using ViewMaker =
    std::function<std::unique_ptr<SignalViewSink>(const FramePair&, const CaptureSettings&)>;

class EngineRunner {
 public:
  // The configuration is VIREO.INI text (Windows-1251); it is kept in a file
  // of its own for the engine's start-up to read.
  explicit EngineRunner(const std::string& iniText);
  ~EngineRunner();
  EngineRunner(const EngineRunner&) = delete;
  EngineRunner& operator=(const EngineRunner&) = delete;

  bool Ready() const { return ready_; }

  // Replays the press with the distortion's lead and sampling period, until
  // the line has been quiet long enough for the engine to go back to idle.
  // With debug, every packet end logs its code with the ratios. With a view
  // maker, its view is handed the rows.
  EngineOutcome Run(const Durations& press, const Distortion& distortion, bool debug,
                    const ViewMaker& view = {}) const;

 private:
  std::string path_;
  bool ready_ = false;
};

}  // namespace vireo::learn
