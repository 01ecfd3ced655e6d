// The main window: owns the capture engine and the action dispatcher,
// starts the worker as it opens, ticks the dispatcher every 500 ms, opens
// the settings window from its system menu, and doubles as the on-screen
// caption. Every way of ending it waits until no worker is left.
#pragma once

#include "actions/ActionRunner.h"
#include "actions/CaptionSurface.h"
#include "actions/win32/Win32ActionPlatform.h"
#include "capture/CaptureEngine.h"
#include "platform/BoardLine.h"
#include "platform/win32/Win32BytePort.h"
#include "platform/win32/Win32ClockHardware.h"
#include "platform/win32/Win32ProcessControl.h"
#include "platform/win32/Win32SerialLine.h"
#include "ui/CaptionMode.h"
#include "ui/RowHandOver.h"
#include "ui/win32/DialogWindow.h"

namespace vireo {

class SettingsWindow;

class MainWindow final : public DialogWindow, public CaptionSurface, private CaptionWindow {
 public:
  static constexpr UINT kTickMs = 500;
  static constexpr DWORD kCloseWaitMs = 500;

  MainWindow();
  void Run() { RunModal(kTemplate, nullptr); }

  // CaptionSurface, for the dispatcher.
  void SetCaptionText(const std::string& text) override;
  void ShowCaption() override { caption_.Show(); }
  void HideCaption() override { caption_.Hide(); }
  bool CaptionShown() const override { return caption_.Shown(); }
  void SetRunLamp(bool running) override;
  void CloseMainWindow() override { CloseWith(IDOK); }

 private:
  static constexpr int kTemplate = 102;

  // CaptionWindow, for caption mode.
  void SetText(const std::string& text) override { SetCaptionText(text); }
  void SetTitleBar(bool present) override;
  WindowRect NormalRect() override;
  void Place(bool topmost, const WindowRect& rect) override;

  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit() override;
  bool PaintMinimised();
  void OpenSettings();
  void RunCloseSequence();
  void CloseWith(INT_PTR result);

  Win32SerialLine line_;
  Win32ClockHardware clockHardware_;
  Win32BytePort boardPort_;
  BoardLine boardLine_;
  Win32ProcessControl process_;
  CaptureEngine engine_;
  RowHandOver rowHandOver_;
  CaptionMode caption_;
  Win32ActionPlatform actionPlatform_;
  ActionRunner actions_;
  HICON appIcon_;
  SettingsWindow* settings_ = nullptr;
  bool closed_ = false;
};

}  // namespace vireo
