#include "learn/LearningSession.h"

#include <algorithm>

#include "learn/ReceiverPress.h"
#include "text/Cp1251.h"

namespace vireo::learn {

namespace {

// The window's lines, Windows-1251: "%" the button's name, "@" another's,
// "#" the press's number, "$" how many agree. Each press's line has its
// number, so that two presses with the same outcome still show.
constexpr char kNameFirst[] = "Назовите кнопку и нажмите «Записать».";
constexpr char kPressIt[] = "Нажмите «%» на пульте.";
constexpr char kAgreed[] = "Нажатие #: принято, совпадают $ из 3. Нажмите «%» ещё раз.";
constexpr char kCaptured[] =
    "Нажатие #: кнопка «%» записана, 3 нажатия совпали. Назовите следующую или нажмите «Готово».";
constexpr char kAlternating[] =
    "Нажатие #: кнопка «%» записана, её сигнал меняется через нажатие (как у RC-5). Назовите "
    "следующую или нажмите «Готово».";
constexpr char kDiffers[] = "Нажатие #: не совпало с прежними. Нажмите «%» ещё раз.";
constexpr char kEmpty[] = "Нажатие #: в нём нет сигнала. Нажмите «%» ещё раз.";
constexpr char kCut[] = "Нажатие #: длиннее, чем вмещает буфер. Нажмите «%» ещё раз, коротко.";
constexpr char kTaken[] = "Нажатие #: это сигнал кнопки «@». Нажмите «%» ещё раз.";
constexpr char kNothing[] = "За 10 с нажатия не было. Нажмите «%» на пульте.";

std::string Fill(const char* pattern, const std::string& name, int press = 0,
                 const std::string& other = {}, int agreeing = 0) {
  std::string out;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p == '%') {
      out += name;
    } else if (*p == '@') {
      out += other;
    } else if (*p == '#') {
      out += std::to_string(press);
    } else if (*p == '$') {
      out += std::to_string(agreeing);
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

// A handset that flips a bit on every new press (RC-5) sends two signals by
// turns: the last four presses go A B A B.
bool Alternating(const std::vector<Durations>& presses) {
  const std::size_t n = presses.size();
  return n >= 4 && SameSignal(presses[n - 1], presses[n - 3]) &&
         SameSignal(presses[n - 2], presses[n - 4]) && !SameSignal(presses[n - 1], presses[n - 2]);
}

}  // namespace

std::string LearningIniText(const std::string& port, const std::string& receiver) {
  static const char* const kLines[] = {
      "; Vireo пишет этот файл на время обучения и удаляет его после.",
      "[CONFIG]",
      "TIMER_TYPE=0",
      "EDGE_WAIT=1",
      "PACKET_SLEEP=300",
      "SLEEP_TIMEBIG=1",
      "SLEEP_TIMESMALL=1",
      "PACKET_START_US=0",
      "PACKET_START_VALUE=0",
      "PACKET_STOP_US=20000",
      "PACKET_STOP_VALUE=1",
      "BUFFER_SIZE=260",
      "ADDPRECISION=50",
      "PACKET_MAX=200",
      "PACKET_MIN=190",
      "CODE_PERIODS=1500,2500,4000",
      "CODE_LONG_BURST=0",
      "PACKET_VALID=3",
      "PACKET_ELEMENT=0",
      "CLASS_PRIORITY=2",
      "",
      "[COM]"};
  std::string text;
  for (const char* line : kLines) text += std::string(line) + "\r\n";
  text += "Port=" + port + "\r\n";
  return receiver.empty() ? text : text + "Receiver=" + receiver + "\r\n";
}

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
  pressCount_ = 0;
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
  ++pressCount_;
  const Durations press = PressCapture(packets_);
  const PressVerdict verdict = CheckPress(press, cut_, presses_, captured_);
  packets_.clear();
  cut_ = false;
  waitFromMs_ = nowMs;
  switch (verdict.check) {
    case PressCheck::kEmpty:
      status_ = Fill(kEmpty, name_, pressCount_);
      return;
    case PressCheck::kCut:
      status_ = Fill(kCut, name_, pressCount_);
      return;
    case PressCheck::kTaken:
      status_ = Fill(kTaken, name_, pressCount_, Utf8ToCp1251(captured_[verdict.takenBy].name));
      return;
    case PressCheck::kDiffers:
      // Kept: the next presses may agree with it rather than the earlier.
      presses_.push_back(press);
      status_ = Fill(kDiffers, name_, pressCount_);
      return;
    case PressCheck::kAgrees:
      break;
  }
  presses_.push_back(press);
  std::vector<Durations> agreeing = Agreeing(presses_);
  const char* done = kCaptured;
  if (static_cast<int>(agreeing.size()) < kPressesNeeded) {
    if (!Alternating(presses_)) {
      status_ = Fill(kAgreed, name_, pressCount_, {}, static_cast<int>(agreeing.size()));
      return;
    }
    // Both signals are the button: the learner gives each a section.
    agreeing.assign(presses_.end() - 4, presses_.end());
    done = kAlternating;
  }
  captured_.push_back({Cp1251ToUtf8(name_), std::move(agreeing)});
  presses_.clear();
  collecting_ = false;
  status_ = Fill(done, name_, pressCount_);
}

}  // namespace vireo::learn
