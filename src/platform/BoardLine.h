// The receiver board on USB (docs/usb-receiver-protocol.md) as a serial
// line: its stream of level durations is read on a thread of its own and
// replayed as the CTS level a fixed delay later, so that the capture engine
// reads it as it reads the CTS receiver. DTR and RTS need no setting: the
// board takes its power from USB.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/BoardReplay.h"
#include "platform/BytePort.h"
#include "platform/ClockHardware.h"
#include "platform/SerialLine.h"
#include "signal/BoardStream.h"

namespace vireo {

// Asks what is on an open port: sends the version request every
// kAskEveryMs and returns the first text line that comes within kAnswerMs
// (the board's is kBoardHello), or empty when none does. A board resets when
// its port is opened, and its boot loader waits a second or two first.
std::string AskBoard(BytePort& port, Sleeper& sleeper);

class BoardLine final : public SerialLine, private BoardStreamSink {
 public:
  static constexpr std::int32_t kBaud = 250000;
  static constexpr std::int32_t kAskEveryMs = 250;
  static constexpr std::int32_t kAnswerMs = 3000;
  // The board speaks at least every 8.2 ms; this long without a byte, it is gone.
  static constexpr std::int32_t kSilentMs = 200;
  static constexpr std::int32_t kReadMs = 50;
  // Longer than a USB serial bridge holds bytes back (16 ms at worst).
  static constexpr std::int64_t kDelayUs = 32'000;
  // A wait for an edge ends this long before the edge is due, and the worker
  // polls the rest, so that the edge is seen on time: Windows ends a timed
  // wait on its timer's tick, every 15.6 ms unless a program asks for finer.
  static constexpr std::int64_t kWakeEarlyUs = 20'000;

  BoardLine(BytePort& port, ClockHardware& clock);
  ~BoardLine() override;

  // Opens the port and asks what is on it; true when the port opened. The
  // stream is read only when the board answered (BoardAnswer).
  bool Open(std::int32_t port) override;
  bool SetDtr(bool) override { return open_; }
  bool SetRts(bool) override { return open_; }
  int ReadCts() override;
  bool Close() override;
  bool IsOpen() const override { return open_; }

  bool StartEdgeWait() override { return reading_; }
  bool WaitForEdge(std::int32_t timeoutMs) override;
  void InterruptWait() override;

  std::string BoardAnswer() const override { return answer_; }
  bool StreamLost() const override { return lost_.load(std::memory_order_relaxed); }
  int TakeOverflows() override;

 private:
  void OnLevel(bool light, std::uint32_t us, bool continues) override;
  void OnOverflow() override;
  void OnTextLine(std::string_view) override {}
  void ReadStream();
  std::int64_t Now() { return clock_.HighLevelCount(); }
  std::int64_t Ticks(std::int64_t us) const { return us * frequency_ / 1'000'000; }

  BytePort& port_;
  ClockHardware& clock_;
  std::int64_t frequency_ = 1;
  bool open_ = false;
  bool reading_ = false;
  std::string answer_;
  BoardStreamDecoder decoder_;
  std::unique_ptr<BoardReplay> replay_;  // a new one for each opening
  std::int64_t arrival_ = 0;             // when the bytes being decoded came
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};
  std::atomic<int> overflows_{0};
  std::uint64_t droppedSeen_ = 0;
  // The worker's wait for an edge, woken by new words or an interrupt.
  std::mutex waitLock_;
  std::condition_variable waitWake_;
  bool interrupted_ = false;
};

}  // namespace vireo
