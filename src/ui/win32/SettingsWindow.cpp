#include "ui/win32/SettingsWindow.h"

#include <memory>

#include "platform/win32/Cp1251.h"
#include "signal/SignalFrame.h"
#include "ui/ScrollRequest.h"
#include "ui/win32/LearningWindow.h"
#include "ui/win32/Resources.h"

namespace vireo {

SettingsWindow::SettingsWindow(CaptureEngine& engine, RowHandOver& handOver)
    : engine_(engine), handOver_(handOver), view_(handOver) {}

INT_PTR SettingsWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_HSCROLL) return FALSE;
  OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
  return TRUE;
}

void SettingsWindow::OnInit() {
  Centre();
  view_.Bind(Item(IDC_SIGNAL_VIEW));
  // The scroll bar starts below the drawing, whatever the font's metrics.
  HWND bar = Item(IDC_SCROLL);
  RECT r;
  ::GetWindowRect(bar, &r);
  ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
  if (r.top < view::kHeight) {
    ::SetWindowPos(bar, nullptr, r.left, view::kHeight, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SetTimer(Handle(), 1, kTickMs, nullptr);
  engine_.Log().MarkLogChanged();
  viewAttached_ = false;
}

void SettingsWindow::OnTick() {
  if (!viewAttached_) AttachView();
  const std::string log = engine_.Log().TakeLogIfChanged();
  if (log.empty()) return;
  HWND box = Item(IDC_LOG);
  ::SetWindowTextW(box, ToWide(log).c_str());
  // Caret after the last character, nothing selected, and scrolled to it.
  const WPARAM end = ::GetWindowTextLengthW(box);
  ::SendMessageW(box, EM_SETSEL, end, end);
  ::SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void SettingsWindow::AttachView() {
  handOver_.Attach(&view_);
  engine_.Frames().SetSignalView(&handOver_);
  viewAttached_ = true;
  view_.SetViewOffset(0);
  RECT r;
  ::GetWindowRect(Handle(), &r);
  const std::int32_t width = r.right - r.left;
  view_.SetViewWidth(width);
  ::SetScrollRange(Item(IDC_SCROLL), SB_CTL, 0, kSlotCount - width, TRUE);
}

void SettingsWindow::OnCommand(int id) {
  switch (id) {
    case IDC_START:
      engine_.StartWorker();
      break;
    case IDC_STOP:
      engine_.RequestStop();
      break;
    case IDC_DEBUG:
      engine_.Frames().debugMode.store(::SendMessageW(Item(IDC_DEBUG), BM_GETCHECK, 0, 0) ==
                                       BST_CHECKED);
      break;
    case IDC_LEARN_OPEN:
      OpenLearning();
      break;
    case IDOK:
    case IDCANCEL:
      Close();
      break;
  }
}

void SettingsWindow::OpenLearning() {
  // The learning window draws the packets in its own view while it is open.
  engine_.Frames().SetSignalView(nullptr);
  handOver_.Detach();
  // Its packet store is large: it lives on the heap.
  auto learning = std::make_unique<LearningWindow>(engine_);
  learning_ = learning.get();
  learning->Run(Handle());
  learning_ = nullptr;
  // Ended with the program: the view stays detached.
  if (!closing_) AttachView();
}

void SettingsWindow::OnScroll(HWND bar, int code, int thumb) {
  ScrollBarState state;
  ::GetScrollRange(bar, SB_CTL, &state.min, &state.max);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_PAGE | SIF_POS;
  ::GetScrollInfo(bar, SB_CTL, &info);
  state.page = static_cast<std::int32_t>(info.nPage);
  state.position = info.nPos;
  const std::int32_t position = NewScrollPosition(state, code, thumb);
  ::SetScrollPos(bar, SB_CTL, position, TRUE);
  if (bar == Item(IDC_SCROLL)) view_.SetViewOffset(position);
}

void SettingsWindow::Close() {
  // Only the main window's close reaches here while learning goes on.
  closing_ = true;
  if (learning_ != nullptr) learning_->EndWithProgram();
  // The engine stops handing rows first; the hand-over then makes sure that
  // a worker still inside a call never reaches the view after this.
  engine_.Frames().SetSignalView(nullptr);
  handOver_.Detach();
  End(IDCANCEL);
}

}  // namespace vireo
