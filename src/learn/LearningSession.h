// What the learning window does between the receiver and the learner: the
// worker's packets gathered into presses of the button being named, each
// press checked against that button's earlier presses and the buttons
// captured before, and the line that tells the user what to do next. The
// clock is passed in, so a test runs it without a window or a receiver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "learn/ButtonSignals.h"
#include "signal/RawPacket.h"

namespace vireo::learn {

// The VIREO.INI the worker reads while the window is open: settings that
// read any handset whole (the edge wait, packets from the first burst to
// 20 ms of quiet, a long store, the code by periods) on the user's port and
// receiver ([COM] Port and Receiver, which may be empty), and no command, so
// that no button runs anything. Windows-1251, CR LF.
std::string LearningIniText(const std::string& port, const std::string& receiver);

class LearningSession {
 public:
  static constexpr std::int64_t kPressEndMs = 300;  // silence that ends a press
  static constexpr std::int64_t kWaitMs = 10'000;   // no press this long: ask again
  static constexpr int kPressesNeeded = 3;          // agreeing presses that capture a button

  LearningSession();

  // Starts collecting presses of a button named `name` (Windows-1251); an
  // earlier capture under that name is learned again.
  void BeginButton(const std::string& name, std::int64_t nowMs);
  // Packets taken from the worker and how many were lost on the way. While
  // no button is named they are dropped.
  void AddPackets(const std::vector<RawPacket>& packets, int lost, std::int64_t nowMs);
  // Ends a press after its silence, or asks again after the wait; true when
  // the status changed.
  bool Tick(std::int64_t nowMs);

  // Windows-1251.
  const std::string& Status() const { return status_; }
  // Each captured button with its agreeing presses, names in UTF-8, as the
  // learner takes them.
  const std::vector<ButtonSignal>& Captured() const { return captured_; }
  bool Collecting() const { return collecting_; }
  // The presses of the button being named so far.
  int Presses() const { return static_cast<int>(presses_.size()); }

 private:
  void EndPress(std::int64_t nowMs);

  std::string name_;  // Windows-1251
  bool collecting_ = false;
  std::vector<RawPacket> packets_;  // the press under way
  bool cut_ = false;
  std::int64_t lastPacketMs_ = 0;
  std::int64_t waitFromMs_ = 0;
  std::vector<Durations> presses_;
  int pressCount_ = 0;  // presses ended since the button was named
  std::vector<ButtonSignal> captured_;
  std::string status_;
};

}  // namespace vireo::learn
