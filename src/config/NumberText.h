// Number parsing with the C library's rules (atoi, strtol base 16), made
// identical on every C runtime and free of undefined behaviour: digits beyond
// the 32-bit range saturate at its limits as strtol does.
#pragma once

#include <cstdint>
#include <string>

namespace vireo {

// atoi: leading white space, an optional sign, then decimal digits.
std::int32_t ParseDecimal(const std::string& text);

// strtol base 16 with a 32-bit long: leading white space, an optional sign,
// an optional 0x or 0X, then hexadecimal digits.
std::int32_t ParseHex(const std::string& text);

// Decimal "%i" form of a number.
std::string DecimalText(std::int64_t value);

}  // namespace vireo
