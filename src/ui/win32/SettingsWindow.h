// The settings window: the event log, START and STOP, the debug switch and
// the signal view with its scroll bar. It keeps no state of the system; all
// it shows or changes lives in the capture engine.
#pragma once

#include "capture/CaptureEngine.h"
#include "ui/RowHandOver.h"
#include "ui/win32/DialogWindow.h"
#include "ui/win32/LearningWindow.h"
#include "ui/win32/SignalView.h"

namespace vireo {

class SettingsWindow final : public DialogWindow {
 public:
  static constexpr UINT kTickMs = 100;

  SettingsWindow(CaptureEngine& engine, RowHandOver& handOver);
  void Run(HWND owner) { RunModal(kTemplate, owner); }
  // Detaches the view, then ends the window: every way out comes here.
  void Close();

 private:
  static constexpr int kTemplate = 100;

  INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit() override;
  void OnTick() override;
  void OnClose() override { Close(); }
  void AttachView();
  void OnCommand(int id) override;
  void OpenLearning();
  void OnScroll(HWND bar, int code, int thumb);

  CaptureEngine& engine_;
  RowHandOver& handOver_;
  bool viewAttached_ = false;
  SignalView view_;
  LearningWindow* learning_ = nullptr;  // while it is open over this one
  bool closing_ = false;
};

}  // namespace vireo
