// Hands the signal view's rows from the worker to the user-interface thread.
// The worker copies each row in under a small lock and asks for a repaint
// without waiting; the paint draws from a copy taken under the same lock.
// It outlives every view, so a worker still inside a hand-over when the view
// is detached touches only this object, never the view.
#pragma once

#include <mutex>

#include "signal/SignalViewSink.h"
#include "ui/SignalRows.h"

namespace vireo {

// The view's side: must return at once, never waiting for its thread.
class RepaintTarget {
 public:
  virtual ~RepaintTarget() = default;
  virtual void RequestRepaint() = 0;
};

class RowHandOver final : public SignalViewSink {
 public:
  // Starts a fresh picture for a view; rows of an earlier view are dropped.
  void Attach(RepaintTarget* view);
  // After this returns the worker never reaches the view again.
  void Detach();
  // Worker thread; rows arriving while no view is attached are dropped.
  void AddTraceRow(const std::string& slotText) override;
  void SetReferenceRow(const std::string& slotText) override;
  void SetCodeMarks(const std::string& marks) override;
  // User-interface thread: a copy of the rows for one paint.
  void CopyRows(SignalRows& into);

 private:
  // Guards rows_ and view_; nothing else is locked under it, and the view's
  // repaint request does not wait, so neither thread can stall the other.
  std::mutex mutex_;
  SignalRows rows_;
  RepaintTarget* view_ = nullptr;
};

}  // namespace vireo
