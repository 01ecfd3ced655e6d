#include "platform/BoardLine.h"

#include <chrono>

namespace vireo {
namespace {

// Keeps the first text line the port sends.
class AnswerSink final : public BoardStreamSink {
 public:
  void OnLevel(bool, std::uint32_t, bool) override {}
  void OnOverflow() override {}
  void OnTextLine(std::string_view line) override {
    if (!answered) answer.assign(line);
    answered = true;
  }
  std::string answer;
  bool answered = false;
};

}  // namespace

std::string AskBoard(BytePort& port, Sleeper& sleeper) {
  BoardStreamDecoder decoder;
  AnswerSink sink;
  std::uint8_t buffer[64];
  for (std::int32_t waited = 0; waited < BoardLine::kAnswerMs && !sink.answered;
       waited += BoardLine::kAskEveryMs) {
    if (!port.Write(&kBoardHelloRequest, 1)) return {};
    // Reads return as soon as bytes come, so the time is counted in asks.
    const int n = port.Read(buffer, sizeof buffer, BoardLine::kAskEveryMs);
    if (n < 0) return {};
    if (n == 0) continue;
    decoder.Feed(buffer, static_cast<std::size_t>(n), sink);
    // A chatty device answers every read at once: pause before asking
    // again, so that it is not flooded with asks.
    sleeper.Sleep(BoardLine::kAskEveryMs / 5);
  }
  return sink.answer;
}

BoardLine::BoardLine(BytePort& port, ClockHardware& clock)
    : port_(port), clock_(clock), frequency_(clock.HighLevelFrequency()) {}

BoardLine::~BoardLine() { Close(); }

bool BoardLine::Open(std::int32_t port) {
  if (open_) return false;
  if (!port_.Open(port, kBaud)) return false;
  open_ = true;
  replay_ = std::make_unique<BoardReplay>(frequency_, kDelayUs);
  answer_ = AskBoard(port_, clock_);
  if (answer_ != kBoardHello) return true;
  decoder_ = BoardStreamDecoder{};
  droppedSeen_ = 0;
  overflows_.store(0);
  lost_.store(false);
  stop_.store(false);
  reading_ = true;
  reader_ = std::thread([this] { ReadStream(); });
  return true;
}

bool BoardLine::Close() {
  if (reader_.joinable()) {
    stop_.store(true);
    reader_.join();
  }
  reading_ = false;
  if (open_) port_.Close();
  open_ = false;
  return true;
}

int BoardLine::ReadCts() { return replay_->LevelAt(Now()); }

void BoardLine::ReadStream() {
  std::uint8_t buffer[256];
  std::int64_t lastByte = Now();
  while (!stop_.load()) {
    const int n = port_.Read(buffer, sizeof buffer, kReadMs);
    arrival_ = Now();
    if (n > 0) {
      lastByte = arrival_;
      decoder_.Feed(buffer, static_cast<std::size_t>(n), *this);
    }
    if (n < 0 || arrival_ - lastByte > Ticks(kSilentMs * 1000)) {
      // The line shows quiet from here on, and the worker ends on it.
      replay_->AddGap(arrival_);
      lost_.store(true);
      InterruptWait();
      return;
    }
    if (n > 0) {
      // New words may have brought an edge near. Under the lock, so that a
      // wait that has just found none does not miss them.
      std::lock_guard<std::mutex> lock(waitLock_);
      waitWake_.notify_one();
    }
  }
}

void BoardLine::OnLevel(bool light, std::uint32_t us, bool continues) {
  replay_->AddLevel(light, us, continues, arrival_);
}

void BoardLine::OnOverflow() {
  replay_->AddGap(arrival_);
  overflows_.fetch_add(1);
}

int BoardLine::TakeOverflows() {
  const std::uint64_t dropped = replay_->Dropped();
  const int lost = overflows_.exchange(0) + static_cast<int>(dropped - droppedSeen_);
  droppedSeen_ = dropped;
  return lost;
}

bool BoardLine::WaitForEdge(std::int32_t timeoutMs) {
  const std::int64_t deadline = Now() + Ticks(static_cast<std::int64_t>(timeoutMs) * 1000);
  std::unique_lock<std::mutex> lock(waitLock_);
  for (;;) {
    if (interrupted_ || lost_.load()) {
      interrupted_ = false;
      return false;
    }
    const std::int64_t now = Now();
    const std::int64_t next = replay_->NextChange();
    if (next >= 0 && next - now <= Ticks(kWakeEarlyUs)) return true;
    if (now >= deadline) return false;
    std::int64_t until = deadline;
    if (next >= 0 && next - Ticks(kWakeEarlyUs) < until) until = next - Ticks(kWakeEarlyUs);
    waitWake_.wait_for(lock, std::chrono::microseconds((until - now) * 1'000'000 / frequency_));
  }
}

void BoardLine::InterruptWait() {
  std::lock_guard<std::mutex> lock(waitLock_);
  interrupted_ = true;
  waitWake_.notify_one();
}

}  // namespace vireo
