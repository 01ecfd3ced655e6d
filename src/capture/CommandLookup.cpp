#include "capture/CommandLookup.h"

#include "config/NumberText.h"

namespace vireo {

std::int32_t FindCommand(SharedConfig& config, const std::string& code, std::int32_t last) {
  for (int n = 1; n <= last; ++n) {
    std::string value = config.GetString("COMMAND" + DecimalText(n), "Value");
    if (!value.empty() && code.find(value) != std::string::npos) return n;
  }
  return 0;
}

}  // namespace vireo
