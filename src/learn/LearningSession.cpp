#include "learn/LearningSession.h"

#include <algorithm>

#include "learn/ReceiverPress.h"
#include "text/Cp1251.h"

namespace vireo::learn {

namespace {

// The window's lines, Windows-1251.
constexpr char kNameFirst[] = "Назовите кнопку и нажмите «Записать».";
constexpr char kPressIt[] = "Нажмите «%» на пульте.";
constexpr char kAgreed[] = "Нажатие принято, совпадают: # из 3. Нажмите «%» ещё раз.";
constexpr char kCaptured[] =
    "Кнопка «%» записана: 3 нажатия совпали. Назовите следующую или нажмите «Готово».";
constexpr char kDiffers[] = "Нажатие не совпало с прежними. Нажмите «%» ещё раз.";
constexpr char kEmpty[] = "В нажатии нет сигнала. Нажмите «%» ещё раз.";
constexpr char kCut[] = "Нажатие длиннее, чем вмещает буфер. Нажмите «%» ещё раз, коротко.";
constexpr char kTaken[] = "Это сигнал кнопки «@». Нажмите «%» ещё раз.";
constexpr char kNothing[] = "За 10 с нажатия не было. Нажмите «%» на пульте.";

std::string Fill(const char* pattern, const std::string& name, const std::string& other = {},
                 int count = 0) {
  std::string out;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p == '%') {
      out += name;
    } else if (*p == '@') {
      out += other;
    } else if (*p == '#') {
      out += std::to_string(count);
    } else {
      out += *p;
    }
  }
  return out;
}

// The presses that carry the signal most of them share.
std::vector<Durations> Agreeing(const std::vector<Durations>& presses) {
  std::vector<Durations> best;
  for (const Durations& p : presses) {
    std::vector<Durations> like;
    for (const Durations& q : presses) {
      if (SameSignal(p, q)) like.push_back(q);
    }
    if (like.size() > best.size()) best = std::move(like);
  }
  return best;
}

}  // namespace

LearningSession::LearningSession() : status_(kNameFirst) {}

void LearningSession::BeginButton(const std::string& name, std::int64_t nowMs) {
  if (name.empty()) {
    collecting_ = false;
    status_ = kNameFirst;
    return;
  }
  name_ = name;
  const std::string utf8 = Cp1251ToUtf8(name);
  captured_.erase(std::remove_if(captured_.begin(), captured_.end(),
                                 [&](const ButtonSignal& b) { return b.name == utf8; }),
                  captured_.end());
  collecting_ = true;
  packets_.clear();
  cut_ = false;
  presses_.clear();
  waitFromMs_ = nowMs;
  status_ = Fill(kPressIt, name_);
}

void LearningSession::AddPackets(const std::vector<RawPacket>& packets, int lost,
                                 std::int64_t nowMs) {
  if (!collecting_) return;
  bool any = lost > 0;
  for (const RawPacket& packet : packets) {
    // Noise the frame did not take as a packet makes no press.
    if (!packet.valid) continue;
    packets_.push_back(packet);
    cut_ = cut_ || packet.cut;
    any = true;
  }
  if (!any) return;
  cut_ = cut_ || lost > 0;
  lastPacketMs_ = nowMs;
}

bool LearningSession::Tick(std::int64_t nowMs) {
  if (!collecting_) return false;
  const bool pressUnderWay = !packets_.empty() || cut_;
  if (pressUnderWay) {
    if (nowMs - lastPacketMs_ < kPressEndMs) return false;
    EndPress(nowMs);
    return true;
  }
  if (nowMs - waitFromMs_ < kWaitMs) return false;
  waitFromMs_ = nowMs;
  status_ = Fill(kNothing, name_);
  return true;
}

void LearningSession::EndPress(std::int64_t nowMs) {
  const Durations press = PressCapture(packets_);
  const PressVerdict verdict = CheckPress(press, cut_, presses_, captured_);
  packets_.clear();
  cut_ = false;
  waitFromMs_ = nowMs;
  switch (verdict.check) {
    case PressCheck::kEmpty:
      status_ = Fill(kEmpty, name_);
      return;
    case PressCheck::kCut:
      status_ = Fill(kCut, name_);
      return;
    case PressCheck::kTaken:
      status_ = Fill(kTaken, name_, Utf8ToCp1251(captured_[verdict.takenBy].name));
      return;
    case PressCheck::kDiffers:
      // Kept: the next presses may agree with it rather than the earlier.
      presses_.push_back(press);
      status_ = Fill(kDiffers, name_);
      return;
    case PressCheck::kAgrees:
      break;
  }
  presses_.push_back(press);
  std::vector<Durations> agreeing = Agreeing(presses_);
  if (static_cast<int>(agreeing.size()) < kPressesNeeded) {
    status_ = Fill(kAgreed, name_, {}, static_cast<int>(agreeing.size()));
    return;
  }
  captured_.push_back({Cp1251ToUtf8(name_), std::move(agreeing)});
  presses_.clear();
  collecting_ = false;
  status_ = Fill(kCaptured, name_);
}

}  // namespace vireo::learn
