#include "OutputFile.h"

#include <cstdio>
#include <fstream>

namespace vireo::replay {

bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error) {
  const std::string part = path + ".part";
  {
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (file) {
      std::remove(path.c_str());  // Windows does not rename over an existing file
      if (std::rename(part.c_str(), path.c_str()) == 0) return true;
    }
  }
  std::remove(part.c_str());
  error = "cannot write '" + path + "'";
  return false;
}

}  // namespace vireo::replay
