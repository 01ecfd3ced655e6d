// Draws a replay's picture as the signal view would: the reference row, the
// packet rows in the view's pens and the ruler, with each packet's code text
// written under its row. Plain SVG, one element a line.
#pragma once

#include <string>

#include "PictureRecorder.h"

namespace vireo::replay {

std::string SvgPicture(const Picture& picture);

}  // namespace vireo::replay
