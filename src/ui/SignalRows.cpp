#include "ui/SignalRows.h"

namespace vireo {

void SignalRows::AddTraceRow(const std::string& slotText) {
  rows_[nextRow_] = slotText;
  if (++nextRow_ == kTraceRowCount) nextRow_ = 1;
}

void SignalRows::Clear() {
  for (std::string& row : rows_) row.clear();
  marks_.clear();
  nextRow_ = 1;
}

}  // namespace vireo
