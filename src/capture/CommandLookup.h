// Finds the command section whose Value occurs in a code text.
#pragma once

#include <cstdint>
#include <string>

#include "config/SharedConfig.h"

namespace vireo {

inline constexpr int kLastLookedUpCommand = 49;

// Number of the first of COMMAND1..COMMAND<last> (49 unless a handset with
// more buttons asks for more) whose non-empty Value is a substring of code,
// or 0.
std::int32_t FindCommand(SharedConfig& config, const std::string& code,
                         std::int32_t last = kLastLookedUpCommand);

}  // namespace vireo
