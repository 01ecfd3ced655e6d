#include "DryRun.h"

#include "config/NumberText.h"

namespace vireo::replay {

namespace {
std::string MessageText(const WindowMessage& message) {
  std::string name;
  switch (message.message) {
    case kWmClose:
      name = "WM_CLOSE";
      break;
    case kWmKeyDown:
      name = "WM_KEYDOWN";
      break;
    case kWmCommand:
      name = "WM_COMMAND";
      break;
    case kWmSysCommand:
      name = "WM_SYSCOMMAND";
      break;
    default:
      name = DecimalText(message.message);
  }
  return name + " " + DecimalText(message.wParam) + " " + DecimalText(message.lParam);
}
}  // namespace

void Report(std::ostream& out, const std::string& text) { out << "# " << text << '\n'; }

void DryRunDesktop::Post(WindowId window, const WindowMessage& message) {
  Report(out_, "post " + MessageText(message) + " to window " + DecimalText(window));
}

void DryRunDesktop::Broadcast(const WindowMessage& message) {
  Report(out_, "broadcast " + MessageText(message));
}

bool DryRunDesktop::ShellOpen(const std::string& file, const std::string& directory,
                              const std::string& parameters) {
  Report(out_, "open '" + file + "' in '" + directory + "' with '" + parameters + "'");
  return true;
}

void DryRunDesktop::Pause(std::int32_t ms) { Report(out_, "pause " + DecimalText(ms) + " ms"); }

void DryRunDesktop::SetPointer(std::int32_t x, std::int32_t y) {
  Report(out_, "pointer to " + DecimalText(x) + "," + DecimalText(y));
}

void DryRunVolume::SetVolume(std::int32_t value) {
  value_ = value;
  Report(out_, "volume " + DecimalText(value) + " of 65535");
}

bool DryRunShutdown::RequestShutdown() {
  Report(out_, "shutdown requested");
  return true;
}

void DryRunCaption::SetCaptionText(const std::string& text) {
  const bool changed = text != text_;
  text_ = text;
  if (shown_ && changed) ReportText();
}

void DryRunCaption::ShowCaption() {
  if (shown_) return;
  shown_ = true;
  ReportText();
}

void DryRunCaption::HideCaption() {
  if (!shown_) return;
  shown_ = false;
  text_ = " ";
}

void DryRunCaption::CloseMainWindow() {
  Report(out_, "main window closes");
  closeRequested_ = true;
}

void DryRunCaption::ReportText() {
  // A blank caption shows nothing worth a line (the countdown's first moment).
  if (text_.find_first_not_of(' ') != std::string::npos) Report(out_, "caption: " + text_);
}

}  // namespace vireo::replay
