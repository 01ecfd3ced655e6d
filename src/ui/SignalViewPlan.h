// Where the signal view draws what: the rows' bands and pens, the ruler's
// ticks and labels, for a view showing `width` columns from `offset` on.
// Rows are laid out by text position, the ruler by slot number; slot s
// stands at text position s + 7, so each tick sits over its slot's column.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vireo {

enum class Pen : std::uint8_t { Black, White, Red, Green, Blue, Magenta };

struct ViewWindow {
  std::int32_t offset = 0;
  std::int32_t width = 300;
};

namespace view {
inline constexpr std::int32_t kRowHeight = 3;
inline constexpr std::int32_t kBandTop = 68;
inline constexpr std::int32_t kBandBottom = 84;  // exclusive
inline constexpr std::int32_t kTickBottom = 71;  // exclusive
inline constexpr std::int32_t kLabelTop = 71;
inline constexpr std::int32_t kLabelCharWidth = 5;
inline constexpr std::int32_t kMarkerColumns = 7;
inline constexpr std::int32_t kTickEvery = 50;
inline constexpr std::int32_t kLabelEvery = 100;
// The whole drawing's height: rows, gap and ruler band.
inline constexpr std::int32_t kHeight = kBandBottom;
}  // namespace view

Pen PenFor(char slotChar);
// Top pixel of row k: row 0 at the top, a gap, then rows 1 to 19.
std::int32_t RowTop(std::int32_t k);
// Calls step(x) for every tick in view.
void ForEachTick(const ViewWindow& w, const std::function<void(std::int32_t x)>& step);
// Calls step(x, text) for every slot label in view, x its left edge.
void ForEachLabel(const ViewWindow& w,
                  const std::function<void(std::int32_t x, const std::string& text)>& step);
// Calls step(x, letter) for every letter of the code marks in view, x the
// left edge of a label character centred on its slot's column.
void ForEachMark(const ViewWindow& w, const std::string& marks,
                 const std::function<void(std::int32_t x, char letter)>& step);
// Calls step(x, columns, pen) for each run of equal pens of a row, left to
// right: one call draws `columns` adjacent three-pixel lines.
void ForEachRun(const ViewWindow& w, const std::string& row,
                const std::function<void(std::int32_t x, std::int32_t columns, Pen pen)>& step);

}  // namespace vireo
