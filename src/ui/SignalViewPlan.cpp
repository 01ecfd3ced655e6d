#include "ui/SignalViewPlan.h"

#include <algorithm>

#include "config/NumberText.h"

namespace vireo {

Pen PenFor(char slotChar) {
  switch (slotChar) {
    case '1':
      return Pen::Black;
    case '0':
      return Pen::White;
    case '+':
      return Pen::Green;
    case '-':
      return Pen::Blue;
    case '_':
      return Pen::Magenta;
    default:
      return Pen::Red;
  }
}

std::int32_t RowTop(std::int32_t k) { return k == 0 ? 0 : view::kRowHeight * k + 5; }

namespace {
// The first multiple of `every` at or after `from` (from is never negative).
std::int32_t FirstMultiple(std::int32_t from, std::int32_t every) {
  return (from + every - 1) / every * every;
}
}  // namespace

void ForEachTick(const ViewWindow& w, const std::function<void(std::int32_t x)>& step) {
  for (std::int32_t s = FirstMultiple(w.offset, view::kTickEvery); s < w.offset + w.width;
       s += view::kTickEvery) {
    step(s - w.offset + view::kMarkerColumns);
  }
}

void ForEachLabel(const ViewWindow& w,
                  const std::function<void(std::int32_t x, const std::string& text)>& step) {
  for (std::int32_t s = FirstMultiple(w.offset, view::kLabelEvery); s < w.offset + w.width;
       s += view::kLabelEvery) {
    const std::string text = DecimalText(s);
    const auto chars = static_cast<std::int32_t>(text.size());
    step(s - chars * view::kLabelCharWidth / 2 - w.offset + view::kMarkerColumns, text);
  }
}

void ForEachMark(const ViewWindow& w, const std::string& marks,
                 const std::function<void(std::int32_t x, char letter)>& step) {
  const std::int32_t end = std::min<std::int32_t>(w.offset + w.width, marks.size());
  for (std::int32_t s = w.offset; s < end; ++s) {
    if (marks[s] != ' ') {
      step(s - w.offset + view::kMarkerColumns - view::kLabelCharWidth / 2, marks[s]);
    }
  }
}

void ForEachRun(const ViewWindow& w, const std::string& row,
                const std::function<void(std::int32_t x, std::int32_t columns, Pen pen)>& step) {
  const std::int32_t end = std::min<std::int32_t>(w.offset + w.width, row.size());
  std::int32_t p = w.offset;
  while (p < end) {
    const Pen pen = PenFor(row[p]);
    std::int32_t q = p + 1;
    while (q < end && PenFor(row[q]) == pen) ++q;
    step(p - w.offset, q - p, pen);
    p = q;
  }
}

}  // namespace vireo
