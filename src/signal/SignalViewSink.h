// Receives the slot texts of each packet for the settings window's picture.
// Called on the worker thread; an implementation must not make it wait for
// the user-interface thread.
#pragma once

#include <string>

namespace vireo {

class SignalViewSink {
 public:
  virtual ~SignalViewSink() = default;
  virtual void AddTraceRow(const std::string& slotText) = 0;
  virtual void SetReferenceRow(const std::string& slotText) = 0;
  // With the code by periods: its letters, each at the slot where its pair
  // begins (a slot text of letters and blanks), after the reference row.
  virtual void SetCodeMarks(const std::string& marks) { (void)marks; }
};

}  // namespace vireo
