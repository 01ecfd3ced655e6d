#include "platform/sim/Recording.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace vireo::sim {

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// A whole positive decimal number of microseconds, below an hour.
bool ParseDuration(const std::string& word, std::int64_t& us) {
  if (word.empty() || word.size() > 12) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  us = std::strtoll(word.c_str(), nullptr, 10);
  return us > 0 && us < 3'600'000'000LL;
}

void Append(Recording& out, int level, std::int64_t us) {
  if (!out.empty() && out.back().level == level) {
    out.back().durationUs += us;
  } else {
    out.push_back({level, us});
  }
}

}  // namespace

std::int64_t TotalUs(const Recording& recording) {
  std::int64_t total = 0;
  for (const Segment& s : recording) total += s.durationUs;
  return total;
}

void AppendIdle(Recording& recording, std::int64_t ms) {
  if (ms > 0) Append(recording, 1, ms * 1000);
}

bool ParseMode2(const std::string& text, Recording& out, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::istringstream words(line);
    std::string kind, value, extra;
    words >> kind >> value;
    int level;
    if (kind == "pulse") {
      level = 0;
    } else if (kind == "space" || kind == "timeout") {
      level = 1;
    } else {
      continue;
    }
    std::int64_t us;
    if (!ParseDuration(value, us) || (words >> extra)) {
      error = "line " + std::to_string(number) + ": bad duration in '" + Trim(line) + "'";
      return false;
    }
    Append(out, level, us);
  }
  return true;
}

bool LooksLikeFlipperIr(const std::string& text) {
  return text.rfind("Filetype:", 0) == 0 || text.find("\ndata:") != std::string::npos ||
         text.find("\ntype:") != std::string::npos;
}

bool ParseFlipperBlocks(const std::string& text, const std::string& button,
                        std::vector<NamedRecording>& out, std::string& error) {
  std::istringstream in(text);
  std::string line;
  std::string name;
  std::string type;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.rfind("name:", 0) == 0) {
      name = Trim(line.substr(5));
      type.clear();
    } else if (line.rfind("type:", 0) == 0) {
      type = Trim(line.substr(5));
    } else if (line.rfind("data:", 0) == 0) {
      if (type != "raw" || (!button.empty() && name != button)) continue;
      std::istringstream words(line.substr(5));
      std::string word;
      int level = 0;
      Recording levels;
      while (words >> word) {
        std::int64_t us;
        if (!ParseDuration(word, us)) {
          error = "line " + std::to_string(number) + ": bad duration '" + word + "'";
          return false;
        }
        Append(levels, level, us);
        level = 1 - level;
      }
      if (!levels.empty()) out.push_back({name, std::move(levels)});
    }
  }
  return true;
}

bool ParseFlipperIr(const std::string& text, const std::string& button, std::int64_t gapMs,
                    Recording& out, std::string& error) {
  std::vector<NamedRecording> blocks;
  if (!ParseFlipperBlocks(text, button, blocks, error)) return false;
  for (const NamedRecording& block : blocks) {
    for (const Segment& segment : block.levels) Append(out, segment.level, segment.durationUs);
    AppendIdle(out, gapMs);
  }
  return true;
}

}  // namespace vireo::sim
