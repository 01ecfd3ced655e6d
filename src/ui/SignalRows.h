// The signal view's rows: row 0 is the reference picture, rows 1 to 19 a
// ring of the latest packets, each a slot text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vireo {

class SignalRows {
 public:
  static constexpr std::int32_t kTraceRowCount = 20;

  void AddTraceRow(const std::string& slotText);
  void SetReferenceRow(const std::string& slotText) { rows_[0] = slotText; }
  void SetCodeMarks(const std::string& marks) { marks_ = marks; }
  void Clear();

  const std::string& Row(std::int32_t k) const { return rows_[k]; }
  // The letters of the code by periods by slot; empty with the ratio code.
  const std::string& CodeMarks() const { return marks_; }
  // The ring position the next packet row takes.
  std::int32_t NextRow() const { return nextRow_; }

 private:
  std::array<std::string, kTraceRowCount> rows_;
  std::string marks_;
  std::int32_t nextRow_ = 1;
};

}  // namespace vireo
