// Writes a whole file or nothing: the text goes to a neighbouring file that
// is renamed over the target only once it is complete.
#pragma once

#include <string>

namespace vireo::replay {

// False with a message when the file cannot be written; no part of it is
// then left behind.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace vireo::replay
