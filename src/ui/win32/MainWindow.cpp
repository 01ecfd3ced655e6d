#include "ui/win32/MainWindow.h"

#include "platform/win32/Cp1251.h"
#include "ui/win32/Resources.h"
#include "ui/win32/SettingsWindow.h"

namespace vireo {

namespace {
constexpr char kWorkingDirectory[] = "Рабочая директория ";
constexpr DWORD kDirectoryBuffer = 255;
constexpr LONG_PTR kTitleBarStyles = WS_CAPTION | WS_SYSMENU;

HICON LoadSmallIcon(int id) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                         ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}
}  // namespace

MainWindow::MainWindow()
    : boardLine_(boardPort_, clockHardware_),
      engine_(line_, clockHardware_, process_),
      caption_(*this),
      actions_(engine_, actionPlatform_.Seams(*this)),
      appIcon_(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))) {
  engine_.SetBoardLine(&boardLine_);
}

INT_PTR MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;  // the focus goes to the first control
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_SETTINGS) return FALSE;
      OpenSettings();
      return TRUE;
    case WM_PAINT:
      return PaintMinimised();
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(appIcon_);
    case WM_TIMER:
      if (!closed_) actions_.Tick();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseWith(LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      CloseWith(IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

void MainWindow::OnInit() {
  Centre();
  HMENU menu = ::GetSystemMenu(Handle(), FALSE);
  wchar_t item[64] = {};
  if (menu != nullptr &&
      ::LoadStringW(::GetModuleHandleW(nullptr), IDS_SETTINGS_ITEM, item, 64) > 0) {
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_SETTINGS, item);
  }
  ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
  ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));

  wchar_t directory[kDirectoryBuffer] = {};
  ::GetCurrentDirectoryW(kDirectoryBuffer, directory);
  engine_.Log().AppendLog(kWorkingDirectory + FromWide(directory));

  engine_.State().Set(kStopped);
  actions_.Start();
  engine_.StartWorker();
  SetRunLamp(false);
  ::SetTimer(Handle(), 1, kTickMs, nullptr);
}

void MainWindow::SetRunLamp(bool running) {
  ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadSmallIcon(running ? IDI_LAMP_GREEN : IDI_LAMP_RED)));
}

bool MainWindow::PaintMinimised() {
  if (!::IsIconic(Handle())) return false;
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(Handle(), &ps);
  ::SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = ::GetSystemMetrics(SM_CXICON);
  const int iconHeight = ::GetSystemMetrics(SM_CYICON);
  RECT r;
  ::GetClientRect(Handle(), &r);
  ::DrawIcon(dc, (r.right - r.left - iconWidth + 1) / 2, (r.bottom - r.top - iconHeight + 1) / 2,
             appIcon_);
  ::EndPaint(Handle(), &ps);
  return true;
}

void MainWindow::OpenSettings() {
  SettingsWindow settings(engine_, rowHandOver_);
  settings_ = &settings;
  settings.Run(Handle());
  settings_ = nullptr;
}

void MainWindow::SetCaptionText(const std::string& text) {
  ::SetDlgItemTextW(Handle(), IDC_CAPTION, ToWide(text).c_str());
}

void MainWindow::SetTitleBar(bool present) {
  LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
  style = present ? (style | kTitleBarStyles) : (style & ~kTitleBarStyles);
  ::SetWindowLongPtrW(Handle(), GWL_STYLE, style);
}

WindowRect MainWindow::NormalRect() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ::GetWindowPlacement(Handle(), &placement);
  const RECT& r = placement.rcNormalPosition;
  return {r.left, r.top, r.right, r.bottom};
}

void MainWindow::Place(bool topmost, const WindowRect& r) {
  // Sent to the bottom, a topmost window loses that state on Windows but
  // keeps it under Wine: ending it first gives the same result on both.
  if (!topmost) {
    ::SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ::SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_BOTTOM, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, SWP_FRAMECHANGED);
}

void MainWindow::RunCloseSequence() {
  actions_.ReleaseVolume();
  // The worker may still be starting with the run state at 0, so the wait
  // is for the worker itself: the engine must outlive it.
  if (engine_.WorkerPresent()) {
    engine_.RequestStop();
    ::Sleep(kCloseWaitMs);
  }
  while (engine_.WorkerPresent()) ::Sleep(kCloseWaitMs);
}

void MainWindow::CloseWith(INT_PTR result) {
  if (closed_) return;
  closed_ = true;
  ::KillTimer(Handle(), 1);
  RunCloseSequence();
  // A settings window still open over this one ends with it.
  if (settings_ != nullptr) settings_->Close();
  End(result);
}

}  // namespace vireo
