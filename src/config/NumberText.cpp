#include "config/NumberText.h"

#include <cstdio>
#include <limits>

namespace vireo {

namespace {
bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

std::int32_t ParseInBase(const std::string& text, int base) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // strtol takes the prefix only when a digit follows it.
  if (base == 16 && i + 2 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2], 16) >= 0) {
    i += 2;
  }
  // Accumulate the magnitude in 64 bits and clamp once it leaves the range.
  const std::int64_t limit =
      negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
               : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  for (int digit; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i) {
    magnitude = magnitude * base + digit;
    // Further digits cannot bring it back into range.
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}
}  // namespace

std::int32_t ParseDecimal(const std::string& text) { return ParseInBase(text, 10); }

std::int32_t ParseHex(const std::string& text) { return ParseInBase(text, 16); }

std::string DecimalText(std::int64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  return buffer;
}

}  // namespace vireo
