// The learning window: the user names a button and presses it on the
// handset three times; "Готово" learns every captured button and merges the
// result into VIREO.INI. While it is open the worker reads a learning
// configuration of its own with no commands, so no button runs anything;
// closing it gives the worker VIREO.INI back.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "capture/CaptureEngine.h"
#include "learn/Learner.h"
#include "learn/LearningSession.h"
#include "ui/RawPacketHandOver.h"
#include "ui/RowHandOver.h"
#include "ui/win32/DialogWindow.h"
#include "ui/win32/SignalView.h"

namespace vireo {

class LearningWindow final : public DialogWindow, private RepaintTarget {
 public:
  static constexpr UINT kTickMs = 50;

  explicit LearningWindow(CaptureEngine& engine);
  ~LearningWindow() override;
  void Run(HWND owner) { RunModal(kTemplate, owner); }
  // The program is ending and has stopped the worker: the window ends
  // without starting another.
  void EndWithProgram() { Close(false); }

 private:
  static constexpr int kTemplate = 103;

  INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit() override;
  void OnTick() override;
  void OnCommand(int id) override;
  void OnClose() override { Close(); }
  void BeginButton();
  void StartLearner();
  void OnLearned();
  // Every way out comes here; the worker reads VIREO.INI again if asked.
  void Close(bool restartWorker = true);
  // Stops the worker, waits for it, and starts one on `path` alone.
  void SwitchWorker(const std::string& path);
  void ShowStatus(const std::string& text);
  void ShowReport(const std::string& text);
  void ShowCaptured();
  // Worker thread: packets are waiting.
  void RequestRepaint() override;

  CaptureEngine& engine_;
  RowHandOver rows_;
  SignalView view_;
  RawPacketHandOver packets_;
  learn::LearningSession session_;
  std::vector<RawPacket> taken_;
  bool switched_ = false;  // the worker reads the learning configuration

  // The learner runs on a thread of its own for seconds; its results are
  // read only after it has posted that it is done.
  std::thread learner_;
  std::vector<learn::ButtonSignal> learnedButtons_;
  learn::LearnResult result_;
  std::string learnError_;
  bool learnOk_ = false;
};

}  // namespace vireo
