// Caption mode of the main window: without its title bar and above every
// other window while a command's text is shown; back with its title bar and
// behind every other window afterwards. The text area stays where it is on
// the screen, since the title bar is taken as 19 pixels either way.
#pragma once

#include <cstdint>
#include <string>

namespace vireo {

struct WindowRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The window operations caption mode needs; Win32 implements them.
class CaptionWindow {
 public:
  virtual ~CaptionWindow() = default;
  virtual void SetText(const std::string& text) = 0;
  // Removes (false) or adds back (true) the title bar and system menu.
  virtual void SetTitleBar(bool present) = 0;
  // The rectangle of the window's normal (restored) placement.
  virtual WindowRect NormalRect() = 0;
  // Moves and sizes the window, topmost or behind all others.
  virtual void Place(bool topmost, const WindowRect& rect) = 0;
};

class CaptionMode {
 public:
  static constexpr std::int32_t kTitleBarHeight = 19;

  explicit CaptionMode(CaptionWindow& window) : window_(window) {}
  void Show();
  void Hide();
  bool Shown() const { return shown_; }

 private:
  CaptionWindow& window_;
  bool shown_ = false;
};

}  // namespace vireo
