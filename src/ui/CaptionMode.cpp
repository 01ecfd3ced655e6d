#include "ui/CaptionMode.h"

namespace vireo {

void CaptionMode::Show() {
  if (shown_) return;
  window_.SetTitleBar(false);
  shown_ = true;
  WindowRect r = window_.NormalRect();
  r.top += kTitleBarHeight;
  window_.Place(true, r);
}

void CaptionMode::Hide() {
  if (!shown_) return;
  window_.SetTitleBar(true);
  window_.SetText(" ");
  shown_ = false;
  WindowRect r = window_.NormalRect();
  r.top -= kTitleBarHeight;
  window_.Place(false, r);
}

}  // namespace vireo
