#include "ui/SignalPixels.h"

#include <algorithm>
#include <cstring>

namespace vireo {

namespace {
constexpr Rgb kColours[] = {0x000000, 0xffffff, 0xff0000, 0x00ff00, 0x0000ff, 0xff00ff};
constexpr Rgb kBandColour = 0x000000;

// Clipped to the image: the view's width may reach past the window.
void Fill(const PixelImage& image, std::int32_t x, std::int32_t y, std::int32_t columns,
          std::int32_t lines, Rgb colour) {
  const std::int32_t left = std::max(x, 0);
  const std::int32_t right = std::min(x + columns, image.width);
  const std::int32_t bottom = std::min(y + lines, image.height);
  for (std::int32_t line = std::max(y, 0); line < bottom && left < right; ++line) {
    std::uint32_t* first = image.pixels + static_cast<std::ptrdiff_t>(line) * image.width;
    std::fill(first + left, first + right, colour);
  }
}
}  // namespace

Rgb ColourOf(Pen pen) { return kColours[static_cast<int>(pen)]; }

void DrawSignalPixels(const PixelImage& image, const ViewWindow& w, const SignalRows& rows,
                      Rgb background) {
  Fill(image, 0, 0, image.width, image.height, background);
  Fill(image, 0, view::kBandTop, w.width, view::kBandBottom - view::kBandTop, kBandColour);
  ForEachTick(w, [&image](std::int32_t x) {
    Fill(image, x, view::kBandTop, 1, view::kTickBottom - view::kBandTop, ColourOf(Pen::Green));
  });
  for (std::int32_t k = 0; k < SignalRows::kTraceRowCount; ++k) {
    const std::int32_t top = RowTop(k);
    if (top >= image.height) break;
    ForEachRun(w, rows.Row(k), [&image, top](std::int32_t x, std::int32_t columns, Pen pen) {
      Fill(image, x, top, columns, 1, ColourOf(pen));
    });
    // A row is the same on each of its lines.
    const std::uint32_t* first = image.pixels + static_cast<std::ptrdiff_t>(top) * image.width;
    const std::int32_t lines = std::min(view::kRowHeight, image.height - top);
    for (std::int32_t line = 1; line < lines; ++line) {
      std::memcpy(image.pixels + static_cast<std::ptrdiff_t>(top + line) * image.width, first,
                  sizeof(std::uint32_t) * image.width);
    }
  }
}

}  // namespace vireo
