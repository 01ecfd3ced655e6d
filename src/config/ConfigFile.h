// ConfigFile reads VIREO.INI into ordered sections of key/value texts and
// answers look-ups by exact, case-sensitive section name and key.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vireo {

class IniLineReader;

struct ConfigSection {
  std::vector<std::string> keys;    // distinct keys, in order of first occurrence
  std::vector<std::string> values;  // values[i] belongs to keys[i]

 private:
  friend class ConfigFile;
  // Exact-match index into keys, so that large files do not load in
  // quadratic time; order and matching stay those of the lists.
  std::unordered_map<std::string, std::size_t> index_;
};

class ConfigFile {
 public:
  ConfigFile() = default;
  virtual ~ConfigFile() = default;
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;

  void SetPath(const std::string& path) { path_ = path; }
  const std::string& Path() const { return path_; }

  // Merges the file at Path() into what is held; false when the file is
  // missing or cannot be opened (then nothing held changes).
  bool Load();

  // Merges lines as Load does, from an already split source (used by Load,
  // and by the fuzzer with an in-memory stream).
  void LoadLines(IniLineReader& reader);
  // Forgets everything held, so that the next Load reads one file alone.
  void Clear();

  std::string GetString(const std::string& section, const std::string& key);
  std::int32_t GetInt(const std::string& section, const std::string& key);
  bool SetValue(const std::string& section, const std::string& key, const std::string& value,
                bool create);

  const std::string& LastError() const { return lastError_; }
  const std::vector<std::string>& SectionNames() const { return sectionNames_; }
  const std::vector<ConfigSection>& Sections() const { return sections_; }

 private:
  ConfigSection* FindSection(const std::string& section);

  std::string path_;
  std::vector<ConfigSection> sections_;
  std::vector<std::string> sectionNames_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;
  std::string lastError_;
};

}  // namespace vireo
