#include "text/Cp1251.h"

#include <cstdint>

namespace vireo {

namespace {
// Unicode code points of the bytes 0x80 to 0xFF; 0x98 is unassigned.
constexpr std::uint16_t kUpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

std::uint32_t CodePoint(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x80 ? byte : kUpperHalf[byte - 0x80];
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, CodePoint(c));
  return out;
}

std::u16string Cp1251ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out += static_cast<char16_t>(CodePoint(c));
  return out;
}

bool Utf8ToCp1251(const std::string& text, std::string& out) {
  out.clear();
  bool whole = true;
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80         ? 0
                : (lead >> 5) == 6  ? 1
                : (lead >> 4) == 14 ? 2
                : (lead >> 3) == 30 ? 3
                                    : -1;
    std::uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    bool good = extra >= 0 && i + extra < text.size();
    for (int k = 1; good && k <= extra; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      good = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    i += good ? extra + 1 : 1;
    char byte = '?';
    if (good && cp < 0x80) {
      byte = static_cast<char>(cp);
    } else if (good) {
      good = false;
      for (int b = 0; b < 128 && !good; ++b) {
        good = kUpperHalf[b] == cp && cp != 0xFFFD;
        if (good) byte = static_cast<char>(0x80 + b);
      }
    }
    whole = whole && good;
    out += byte;
  }
  return whole;
}

std::string Utf8ToCp1251(const std::string& text) {
  std::string out;
  Utf8ToCp1251(text, out);
  return out;
}

namespace {
// The capitals of the Windows-1251 letters 0x80 to 0xBF that are not in the
// regular runs a-z and а-я; 0 where the byte is no small letter.
constexpr unsigned char kUpperHigh[64] = {
    0,    0, 0,    0x81, 0,    0, 0, 0, 0,    0, 0,    0, 0,    0,    0,    0,     // 0x80
    0x80, 0, 0,    0,    0,    0, 0, 0, 0,    0, 0x8A, 0, 0x8C, 0x8D, 0x8E, 0x8F,  // 0x90
    0,    0, 0xA1, 0,    0,    0, 0, 0, 0,    0, 0,    0, 0,    0,    0,    0,     // 0xA0
    0,    0, 0,    0xB2, 0xA5, 0, 0, 0, 0xA8, 0, 0xAA, 0, 0xA3, 0,    0xBD, 0xAF,  // 0xB0
};
}  // namespace

std::string UpperCase1251(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') {
      c = static_cast<char>(byte - 0x20);
    } else if (byte >= 0xE0) {
      c = static_cast<char>(byte - 0x20);
    } else if (byte >= 0x80 && byte < 0xC0 && kUpperHigh[byte - 0x80] != 0) {
      c = static_cast<char>(kUpperHigh[byte - 0x80]);
    }
  }
  return text;
}

}  // namespace vireo
