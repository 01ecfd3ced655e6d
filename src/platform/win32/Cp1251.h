// The system's Windows-1251 texts to and from the UTF-16 of the wide Windows
// calls, whatever the machine's ANSI code page is.
#pragma once

#include <string>

namespace vireo {

std::wstring ToWide(const std::string& text);
// Characters that Windows-1251 cannot hold become "?".
std::string FromWide(const std::wstring& text);

}  // namespace vireo
