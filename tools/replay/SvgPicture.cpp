#include "SvgPicture.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "signal/SignalFrame.h"
#include "text/Cp1251.h"
#include "ui/SignalViewPlan.h"

namespace vireo::replay {

namespace {

// The view is one pixel per slot and three per row: far too small to read
// on a page, so the picture is shown twice its size.
constexpr int kScale = 2;
// A line of code text under each packet row, in a small monospaced font.
constexpr std::int32_t kCodeLine = 10;
constexpr std::int32_t kCodeFontSize = 8;
constexpr std::int32_t kLabelFontSize = 13;
constexpr std::int32_t kLabelBaseline = 10;
constexpr std::int32_t kRulerGap = view::kBandTop - (view::kRowHeight * 20 + 5);
// The settings window's face, which the view leaves where it does not paint.
constexpr const char* kBackground = "#f0f0f0";

const char* Colour(Pen pen) {
  switch (pen) {
    case Pen::Black:
      return "#000000";
    case Pen::White:
      return "#ffffff";
    case Pen::Red:
      return "#ff0000";
    case Pen::Green:
      return "#00ff00";
    case Pen::Blue:
      return "#0000ff";
    case Pen::Magenta:
      return "#ff00ff";
  }
  return "#ff0000";
}

// UTF-8 text safe inside an element: markup characters escaped, and control
// bytes, which XML cannot hold, shown as "?".
std::string XmlText(const std::string& cp1251) {
  std::string out;
  for (char c : Cp1251ToUtf8(cp1251)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return out;
}

void Row(std::ostream& out, std::int32_t width, std::int32_t top, const std::string& slots) {
  ForEachRun({0, width}, slots, [&](std::int32_t x, std::int32_t columns, Pen pen) {
    out << "<rect class=\"run\" x=\"" << x << "\" y=\"" << top << "\" width=\"" << columns
        << "\" height=\"" << view::kRowHeight << "\" fill=\"" << Colour(pen) << "\"/>\n";
  });
}

void Ruler(std::ostream& out, std::int32_t width, std::int32_t top) {
  out << "<rect class=\"band\" x=\"0\" y=\"" << top << "\" width=\"" << width << "\" height=\""
      << view::kBandBottom - view::kBandTop << "\" fill=\"#000000\"/>\n";
  // Slots beyond the frame have neither tick nor label.
  const ViewWindow slots{0, kSlotCount};
  ForEachTick(slots, [&](std::int32_t x) {
    out << "<rect class=\"tick\" x=\"" << x << "\" y=\"" << top << "\" width=\"1\" height=\""
        << view::kTickBottom - view::kBandTop << "\" fill=\"#00ff00\"/>\n";
  });
  const std::int32_t labelTop = top + view::kLabelTop - view::kBandTop;
  ForEachLabel(slots, [&](std::int32_t x, const std::string& text) {
    out << "<text class=\"label\" x=\"" << x << "\" y=\"" << labelTop + kLabelBaseline
        << "\" font-family=\"Courier New, Courier, monospace\" font-weight=\"bold\" font-size=\""
        << kLabelFontSize << "\" fill=\"#00ff00\">" << text << "</text>\n";
  });
}

}  // namespace

std::string SvgPicture(const Picture& picture) {
  std::int32_t width = view::kMarkerColumns + kSlotCount;
  width = std::max<std::int32_t>(width, picture.reference.size());
  for (const PictureRow& row : picture.packets) {
    width = std::max<std::int32_t>(width, row.slots.size());
  }
  const std::int32_t rowPitch = view::kRowHeight + kCodeLine;
  const auto packets = static_cast<std::int32_t>(picture.packets.size());
  const std::int32_t rulerTop = RowTop(1) + packets * rowPitch + kRulerGap;
  const std::int32_t height = rulerTop + view::kBandBottom - view::kBandTop;

  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg class=\"picture\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width * kScale
      << "\" height=\"" << height * kScale << "\" viewBox=\"0 0 " << width << ' ' << height
      << "\" shape-rendering=\"crispEdges\">\n"
      << "<rect class=\"background\" x=\"0\" y=\"0\" width=\"" << width << "\" height=\"" << height
      << "\" fill=\"" << kBackground << "\"/>\n";
  Row(out, width, RowTop(0), picture.reference);
  for (std::int32_t k = 0; k < packets; ++k) {
    const std::int32_t top = RowTop(1) + k * rowPitch;
    Row(out, width, top, picture.packets[k].slots);
    out << "<text class=\"code\" x=\"" << view::kMarkerColumns << "\" y=\""
        << top + view::kRowHeight + kCodeFontSize << "\" font-family=\"monospace\" font-size=\""
        << kCodeFontSize << "\" fill=\"#000000\" xml:space=\"preserve\">"
        << XmlText(picture.packets[k].code) << "</text>\n";
  }
  Ruler(out, width, rulerTop);
  out << "</svg>\n";
  return out.str();
}

}  // namespace vireo::replay
