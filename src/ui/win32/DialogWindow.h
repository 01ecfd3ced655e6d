// One pattern for every window of the program: a modal dialog from a
// template whose procedure finds its object at WM_INITDIALOG and hands each
// message to it.
#pragma once

#include <windows.h>

namespace vireo {

class DialogWindow {
 public:
  DialogWindow() = default;
  virtual ~DialogWindow() = default;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Runs the dialog until it ends; owner may be null.
  INT_PTR RunModal(int templateId, HWND owner);
  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }

 protected:
  // TRUE when handled; FALSE leaves the message to the default handling.
  // By default the messages most windows answer go to the hooks below.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnInit() {}
  virtual void OnTick() {}               // WM_TIMER
  virtual void OnCommand(int /*id*/) {}  // a button clicked
  virtual void OnClose() { End(IDCANCEL); }
  // Any other message, as OnMessage.
  virtual INT_PTR OnOtherMessage(UINT, WPARAM, LPARAM) { return FALSE; }
  void End(INT_PTR result) { ::EndDialog(hwnd_, result); }
  // Where a dialog whose template sits at 0, 0 opens: centred over its
  // owner, or in the work area when there is no visible owner, and moved
  // inside the work area where it would stick out.
  void Centre();

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace vireo
