#include "ui/win32/LearningWindow.h"

#include <cstdio>
#include <fstream>
#include <sstream>

// windows.h names a call of its own so; ours is the one of FileReplace.h.
#undef ReplaceFile
#include "capture/Messages.h"
#include "config/FileReplace.h"
#include "config/IniMerge.h"
#include "learn/ReceiverPress.h"
#include "platform/win32/Cp1251.h"
#include "text/Cp1251.h"
#include "ui/win32/Resources.h"

namespace vireo {

namespace {
// Posted by the worker when packets wait (no payload), and by the learner's
// thread when it is done (no payload; the results are the window's members).
constexpr UINT kPacketsWaiting = WM_APP + 1;
constexpr UINT kLearnerDone = WM_APP + 2;
constexpr DWORD kStopWaitMs = 20;

constexpr char kLearningIni[] = "VIREO-learning.ini";
constexpr char kBackup[] = "VIREO.INI.bak";
constexpr char kRecordings[] = "VIREO-learned.ir";

constexpr const char* kCommonNames[] = {
    "Power", "Громче", "Тише", "Mute", "Вверх", "Вниз", "Влево", "Вправо", "OK", "Меню", "Назад",
    "0",     "1",      "2",    "3",    "4",     "5",    "6",     "7",      "8",  "9"};

// The window's lines, Windows-1251.
constexpr char kNoFolder[] =
    "Не удалось записать файл в папку программы: обучение невозможно. VIREO.INI не тронут.";
constexpr char kNothingCaptured[] = "Ещё нет записанных кнопок: назовите кнопку и нажмите её.";
constexpr char kLearning[] = "Идёт обучение, это займёт несколько секунд...";
constexpr char kLearnFailed[] = "Обучение не удалось: кнопка записана дважды с разными сигналами.";
constexpr char kNotWritten[] =
    "Не удалось записать VIREO.INI: папка недоступна для записи. Старый файл не тронут, записи "
    "кнопок сохранены, «Готово» можно нажать снова.";
constexpr char kWritten[] =
    "VIREO.INI записан (прежний сохранён в VIREO.INI.bak), записи кнопок - в VIREO-learned.ir. "
    "После закрытия окна Vireo читает новый VIREO.INI.";
constexpr char kCapturedHeading[] = "Записаны кнопки:";

std::string TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return FromWide(text);
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
}  // namespace

LearningWindow::LearningWindow(CaptureEngine& engine) : engine_(engine), view_(rows_) {}

LearningWindow::~LearningWindow() {
  if (learner_.joinable()) learner_.join();
}

INT_PTR LearningWindow::OnOtherMessage(UINT message, WPARAM, LPARAM) {
  if (message == kPacketsWaiting) OnTick();
  if (message == kLearnerDone) OnLearned();
  return message == kPacketsWaiting || message == kLearnerDone;
}

void LearningWindow::OnInit() {
  Centre();
  view_.Bind(Item(IDC_LEARN_VIEW));
  RECT r;
  ::GetClientRect(Handle(), &r);
  view_.SetViewWidth(r.right);
  for (const char* name : kCommonNames) {
    ::SendMessageW(Item(IDC_LEARN_NAME), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(ToWide(name).c_str()));
  }
  ShowStatus(session_.Status());

  const std::string port = engine_.Config().GetString("COM", "Port");
  const std::string receiver = engine_.Config().GetString("COM", "Receiver");
  std::string error;
  if (!ReplaceFile(kLearningIni, learn::LearningIniText(port, receiver), "", error)) {
    ShowStatus(kNoFolder);
    ::EnableWindow(Item(IDC_LEARN_BEGIN), FALSE);
    ::EnableWindow(Item(IDC_LEARN_DONE), FALSE);
    return;
  }
  rows_.Attach(&view_);
  engine_.Frames().SetSignalView(&rows_);
  packets_.Attach(this);
  engine_.Frames().SetRawSink(&packets_);
  SwitchWorker(kLearningIni);
  switched_ = true;
  ::SetTimer(Handle(), 1, kTickMs, nullptr);
}

void LearningWindow::RequestRepaint() { ::PostMessageW(Handle(), kPacketsWaiting, 0, 0); }

void LearningWindow::SwitchWorker(const std::string& path) {
  if (engine_.WorkerPresent()) engine_.RequestStop();
  while (engine_.WorkerPresent()) ::Sleep(kStopWaitMs);
  engine_.Config().Clear();
  engine_.SetConfigPath(path);
  engine_.StartWorker();
}

void LearningWindow::OnTick() {
  const int lost = packets_.Take(taken_);
  const std::int64_t now = static_cast<std::int64_t>(::GetTickCount64());
  if (!taken_.empty() || lost > 0) session_.AddPackets(taken_, lost, now);
  taken_.clear();
  // The learner's line stays until it is done.
  if (learner_.joinable() || !session_.Tick(now)) return;
  ShowStatus(session_.Status());
  if (!session_.Collecting()) ShowCaptured();
}

void LearningWindow::OnCommand(int id) {
  switch (id) {
    case IDC_LEARN_BEGIN:
      BeginButton();
      break;
    case IDC_LEARN_DONE:
      StartLearner();
      break;
    case IDOK:
      // Enter in the name box means "Записать".
      BeginButton();
      break;
    case IDCANCEL:
      Close();
      break;
  }
}

void LearningWindow::BeginButton() {
  // Packets that came before the name belong to no press.
  packets_.Take(taken_);
  taken_.clear();
  session_.BeginButton(TextOf(Item(IDC_LEARN_NAME)), static_cast<std::int64_t>(::GetTickCount64()));
  ShowStatus(session_.Status());
}

void LearningWindow::StartLearner() {
  if (learner_.joinable()) return;
  if (session_.Captured().empty()) {
    ShowStatus(kNothingCaptured);
    return;
  }
  learnedButtons_ = session_.Captured();
  ShowStatus(kLearning);
  ::EnableWindow(Item(IDC_LEARN_DONE), FALSE);
  ::EnableWindow(Item(IDC_LEARN_BEGIN), FALSE);
  HWND window = Handle();
  learner_ = std::thread([this, window] {
    learnOk_ = learn::Learn(learnedButtons_, learn::LearnOptions{}, result_, learnError_);
    ::PostMessageW(window, kLearnerDone, 0, 0);
  });
}

void LearningWindow::OnLearned() {
  learner_.join();
  ::EnableWindow(Item(IDC_LEARN_DONE), TRUE);
  ::EnableWindow(Item(IDC_LEARN_BEGIN), TRUE);
  if (!learnOk_) {
    ShowStatus(kLearnFailed);
    return;
  }
  std::string report;
  for (const learn::ReportLine& line : result_.report) report += line.text + "\r\n";
  ShowReport(report);
  const std::string merged = MergeLearnedIni(ReadWhole(msg::kIniName), learn::IniText(result_));
  std::string error;
  if (!ReplaceFile(kRecordings, learn::FlipperFileText(learnedButtons_), "", error) ||
      !ReplaceFile(msg::kIniName, merged, kBackup, error)) {
    ShowStatus(kNotWritten);
    ShowReport(report + error);
    return;
  }
  ShowStatus(kWritten);
}

void LearningWindow::ShowStatus(const std::string& text) {
  ::SetWindowTextW(Item(IDC_LEARN_STATUS), ToWide(text).c_str());
}

void LearningWindow::ShowReport(const std::string& text) {
  ::SetWindowTextW(Item(IDC_LEARN_REPORT), ToWide(text).c_str());
}

void LearningWindow::ShowCaptured() {
  std::string text = std::string(kCapturedHeading) + "\r\n";
  for (const learn::ButtonSignal& b : session_.Captured()) {
    text += Utf8ToCp1251(b.name) + "\r\n";
  }
  ShowReport(text);
}

void LearningWindow::Close(bool restartWorker) {
  if (learner_.joinable()) learner_.join();
  ::KillTimer(Handle(), 1);
  engine_.Frames().SetRawSink(nullptr);
  packets_.Detach();
  engine_.Frames().SetSignalView(nullptr);
  rows_.Detach();
  if (switched_) {
    if (restartWorker) {
      SwitchWorker(msg::kIniName);
    } else {
      engine_.SetConfigPath(msg::kIniName);
    }
    std::remove(kLearningIni);
    switched_ = false;
  }
  End(IDCANCEL);
}

}  // namespace vireo
