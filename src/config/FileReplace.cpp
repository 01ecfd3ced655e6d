#include "config/FileReplace.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vireo {

namespace fs = std::filesystem;

bool ReplaceFile(const std::string& path, const std::string& text, const std::string& backupPath,
                 std::string& error) {
  const std::string temporary = path + ".new";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot create " + temporary;
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  // A full disk may show only when the buffers are flushed at the close.
  const bool closed = std::fclose(file) == 0;
  std::error_code code;
  if (!written || !closed) {
    fs::remove(temporary, code);
    error = "cannot write " + temporary;
    return false;
  }
  if (!backupPath.empty() && fs::exists(path, code) &&
      !fs::copy_file(path, backupPath, fs::copy_options::overwrite_existing, code)) {
    fs::remove(temporary, code);
    error = "cannot copy " + path + " to " + backupPath;
    return false;
  }
  fs::rename(temporary, path, code);
  if (code) {
    fs::remove(temporary, code);
    error = "cannot rename " + temporary + " to " + path;
    return false;
  }
  return true;
}

}  // namespace vireo
