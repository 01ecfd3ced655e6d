// Writes a file whole or not at all: the new text goes to a temporary file
// beside it and is renamed over the old one, which is first copied to a
// backup. Whatever fails, the old file stays as it was.
#pragma once

#include <string>

namespace vireo {

// False, with the step that failed in `error`, when any step fails; the
// temporary file is then removed. An empty backupPath keeps no backup; a
// missing old file needs none.
bool ReplaceFile(const std::string& path, const std::string& text, const std::string& backupPath,
                 std::string& error);

}  // namespace vireo
