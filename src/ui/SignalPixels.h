// The signal view's pixels written straight into a 32-bit picture in memory
// (the bits of a Windows DIB section): the background, the rows, the ruler's
// band and ticks. A few thousand tiny fills through the system's drawing
// calls cost milliseconds a paint; the texts alone are left to its fonts.
#pragma once

#include <cstdint>

#include "ui/SignalRows.h"
#include "ui/SignalViewPlan.h"

namespace vireo {

// 0x00RRGGBB: a pixel as a 32-bit DIB holds it in memory.
using Rgb = std::uint32_t;

Rgb ColourOf(Pen pen);

// Top-down rows of `width` pixels each.
struct PixelImage {
  std::uint32_t* pixels = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Every pixel of the image, whatever its size: what the view's window
// leaves uncovered gets `background`.
void DrawSignalPixels(const PixelImage& image, const ViewWindow& w, const SignalRows& rows,
                      Rgb background);

}  // namespace vireo
