#include "OutputFile.h"

#include "config/FileReplace.h"

namespace vireo::replay {

bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error) {
  std::string step;
  if (ReplaceFile(path, text, "", step)) return true;
  error = "cannot write '" + path + "'";
  return false;
}

}  // namespace vireo::replay
