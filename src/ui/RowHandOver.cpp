#include "ui/RowHandOver.h"

namespace vireo {

void RowHandOver::Attach(RepaintTarget* view) {
  std::lock_guard<std::mutex> lock(mutex_);
  rows_.Clear();
  view_ = view;
}

void RowHandOver::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  rows_.Clear();
  view_ = nullptr;
}

void RowHandOver::AddTraceRow(const std::string& slotText) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (view_ == nullptr) return;
  rows_.AddTraceRow(slotText);
  view_->RequestRepaint();
}

void RowHandOver::SetReferenceRow(const std::string& slotText) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (view_ == nullptr) return;
  rows_.SetReferenceRow(slotText);
  view_->RequestRepaint();
}

void RowHandOver::SetCodeMarks(const std::string& marks) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (view_ == nullptr) return;
  rows_.SetCodeMarks(marks);
  view_->RequestRepaint();
}

void RowHandOver::CopyRows(SignalRows& into) {
  std::lock_guard<std::mutex> lock(mutex_);
  into = rows_;
}

}  // namespace vireo
