// The system's Windows-1251 texts in the forms other readers want: UTF-8 for
// a terminal or a file, UTF-16 for a Windows console; and names read from
// UTF-8 files back.
#pragma once

#include <string>

namespace vireo {

std::string Cp1251ToUtf8(const std::string& text);

std::u16string Cp1251ToUtf16(const std::string& text);

// The Windows-1251 form of a UTF-8 text; false when a character has no byte
// there or the UTF-8 is malformed (then `out` holds "?" in its places).
bool Utf8ToCp1251(const std::string& text, std::string& out);

// As above, with the "?" places kept: for names that only label a text.
std::string Utf8ToCp1251(const std::string& text);

// Upper case as Windows gives it on a Russian system: Latin and every
// Cyrillic letter of Windows-1251, ё included.
std::string UpperCase1251(std::string text);

}  // namespace vireo
