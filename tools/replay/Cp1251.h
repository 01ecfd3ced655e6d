// Converts the system's Windows-1251 texts to UTF-8 for a terminal.
#pragma once

#include <string>

namespace vireo {

std::string Cp1251ToUtf8(const std::string& text);

}  // namespace vireo
