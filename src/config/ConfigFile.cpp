#include "config/ConfigFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "config/IniLineReader.h"
#include "config/NumberText.h"

namespace vireo {

namespace {
constexpr const char* kOpenError = "Unable to open ini file.";
constexpr const char* kNoSection = "Unable to locate specified key.";
constexpr const char* kNoKey = "Unable to locate specified value.";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

bool ConfigFile::Load() {
  struct stat status;
  if (stat(path_.c_str(), &status) != 0) return false;
  // A folder can be opened as a stream on some C libraries; it is never a
  // configuration file, so it fails as an unopenable file does on Windows.
  std::unique_ptr<std::FILE, FileCloser> file(
      S_ISDIR(status.st_mode) ? nullptr : std::fopen(path_.c_str(), "rb"));
  if (!file) {
    lastError_ = kOpenError;
    return false;
  }
  IniLineReader reader(file.get());
  LoadLines(reader);
  return true;
}

void ConfigFile::Clear() {
  sections_.clear();
  sectionNames_.clear();
  sectionIndex_.clear();
}

void ConfigFile::LoadLines(IniLineReader& reader) {
  std::string section;
  std::string line;
  while (reader.Next(line)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      std::size_t first = line.find_first_not_of('[');
      std::size_t last = line.find_last_not_of(']');
      // "[]" and "[[]]" have nothing between the brackets: the empty name.
      section = (first == std::string::npos || last == std::string::npos || last < first)
                    ? std::string()
                    : line.substr(first, last - first + 1);
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      SetValue(section, std::string(), line.substr(1), true);
    } else {
      SetValue(section, line.substr(0, eq), line.substr(eq + 1), true);
    }
  }
}

ConfigSection* ConfigFile::FindSection(const std::string& section) {
  auto it = sectionIndex_.find(section);
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

bool ConfigFile::SetValue(const std::string& section, const std::string& key,
                          const std::string& value, bool create) {
  ConfigSection* found = FindSection(section);
  if (!found) {
    if (!create) return false;
    sectionIndex_.emplace(section, sections_.size());
    sectionNames_.push_back(section);
    sections_.emplace_back();
    found = &sections_.back();
  }
  auto it = found->index_.find(key);
  std::size_t slot;
  if (it == found->index_.end()) {
    if (!create) return false;
    slot = found->keys.size();
    found->index_.emplace(key, slot);
    found->keys.push_back(key);
    found->values.emplace_back();
  } else {
    slot = it->second;
  }
  found->values[slot] = value;
  return true;
}

std::string ConfigFile::GetString(const std::string& section, const std::string& key) {
  ConfigSection* found = FindSection(section);
  if (!found) {
    lastError_ = kNoSection;
    return std::string();
  }
  auto it = found->index_.find(key);
  if (it == found->index_.end()) {
    lastError_ = kNoKey;
    return std::string();
  }
  return found->values[it->second];
}

std::int32_t ConfigFile::GetInt(const std::string& section, const std::string& key) {
  return ParseDecimal(GetString(section, key));
}

}  // namespace vireo
