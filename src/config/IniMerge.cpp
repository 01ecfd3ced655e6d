#include "config/IniMerge.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace vireo {

namespace {

constexpr char kCommand[] = "COMMAND";
constexpr long kDefaultLastCommand = 49;
// What the user chose for a button, kept when the button is learned again.
constexpr const char* kKeptKeys[] = {"Action", "Param1", "Param2", "Param3"};

struct Section {
  std::string name;                // between the brackets, as the reader takes it
  std::vector<std::string> lines;  // every line after the header, comments included
};

// Sections as the configuration reader splits them: a line that begins with
// '[' and ends with ']' starts one; lines before the first belong to "".
std::vector<Section> Split(const std::string& text) {
  std::vector<Section> sections(1);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = end + 1;
    if (!line.empty() && line.front() == '[' && line.back() == ']') {
      const std::size_t first = line.find_first_not_of('[');
      const std::size_t last = line.find_last_not_of(']');
      sections.push_back({first == std::string::npos || last < first
                              ? std::string()
                              : line.substr(first, last - first + 1),
                          {}});
    } else {
      sections.back().lines.push_back(line);
    }
  }
  return sections;
}

bool IsKeyLine(const std::string& line, const std::string& key) {
  return line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
         line[key.size()] == '=';
}

// The value the reader would see: the last line of the key wins. Empty
// when the key is missing.
std::string ValueOf(const Section& section, const std::string& key) {
  std::string value;
  for (const std::string& line : section.lines) {
    if (IsKeyLine(line, key)) value = line.substr(key.size() + 1);
  }
  return value;
}

bool Has(const Section& section, const std::string& key) {
  return std::any_of(section.lines.begin(), section.lines.end(),
                     [&](const std::string& line) { return IsKeyLine(line, key); });
}

void Drop(Section& section, const std::string& key) {
  std::erase_if(section.lines, [&](const std::string& line) { return IsKeyLine(line, key); });
}

// The number of a COMMANDn section; -1 for any other name.
long CommandNumber(const std::string& name) {
  const std::size_t prefix = sizeof kCommand - 1;
  if (name.size() <= prefix || name.size() > prefix + 6 || name.compare(0, prefix, kCommand) != 0)
    return -1;
  long n = 0;
  for (std::size_t i = prefix; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
    n = n * 10 + (name[i] - '0');
  }
  return name[prefix] == '0' ? -1 : n;
}

bool IsProgram(const Section& section) {
  std::string action = ValueOf(section, "Action");
  std::transform(action.begin(), action.end(), action.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return action == "PROGRAM";
}

// A PROGRAM's Param1 names sections; the numbers that moved are renamed.
std::string Renumber(const std::string& names, const std::map<long, long>& moved) {
  std::string out;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = std::min(names.find(';', at), names.size());
    const std::string name = names.substr(at, end - at);
    const long n = CommandNumber(kCommand + name);
    const auto it = moved.find(n);
    out += it == moved.end() ? name : std::to_string(it->second);
    if (end == names.size()) return out;
    out += ';';
    at = end + 1;
  }
}

}  // namespace

std::string MergeLearnedIni(const std::string& oldText, const std::string& learnedText) {
  std::vector<Section> old = Split(oldText);
  std::vector<Section> merged = Split(learnedText);
  std::set<std::size_t> used;  // old sections whose content went into the result
  std::map<long, long> moved;  // old number -> new number
  long next = 1;
  for (Section& section : merged) {
    if (section.name == "COM") {
      for (std::size_t i = 0; i < old.size(); ++i) {
        if (old[i].name == "COM" && Has(old[i], "Port")) {
          section = old[i];
          used.insert(i);
        }
      }
      continue;
    }
    const long number = CommandNumber(section.name);
    if (number < 0) continue;
    next = std::max(next, number + 1);
    const std::string descr = ValueOf(section, "Descr");
    // A name learned as several signals (a handset that toggles a bit on
    // each press) has several sections: each takes the kept keys of an old
    // section of that name, the first one's when there are no more.
    std::size_t i = old.size();
    for (std::size_t k = 0; k < old.size() && !descr.empty(); ++k) {
      if (CommandNumber(old[k].name) < 0 || ValueOf(old[k], "Descr") != descr) continue;
      if (i == old.size()) i = k;
      if (used.count(k) == 0) {
        i = k;
        break;
      }
    }
    if (i < old.size()) {
      // In place of the learned Action line, or before the blank lines that
      // end the section.
      auto& lines = section.lines;
      auto at = std::find_if(lines.begin(), lines.end(),
                             [](const std::string& line) { return IsKeyLine(line, "Action"); });
      std::size_t place = static_cast<std::size_t>(at - lines.begin());
      if (at == lines.end()) {
        while (place > 0 && lines[place - 1].empty()) --place;
      }
      std::vector<std::string> kept;
      for (const char* key : kKeptKeys) {
        if (Has(old[i], key)) kept.push_back(std::string(key) + "=" + ValueOf(old[i], key));
      }
      // The learned lines of those keys give way to the kept ones, even
      // where they read alike (an empty Action in both).
      std::vector<std::string> result;
      for (std::size_t k = 0; k <= lines.size(); ++k) {
        if (k == place) result.insert(result.end(), kept.begin(), kept.end());
        if (k == lines.size()) break;
        const bool keptKey = std::any_of(std::begin(kKeptKeys), std::end(kKeptKeys),
                                         [&](const char* key) { return IsKeyLine(lines[k], key); });
        if (!keptKey) result.push_back(lines[k]);
      }
      lines = std::move(result);
      if (used.insert(i).second) moved[CommandNumber(old[i].name)] = number;
    }
  }
  // The old [CONFIG] and preamble give way to the learned ones; any other
  // section the old file had comes after, a numbered command renumbered.
  for (std::size_t i = 0; i < old.size(); ++i) {
    const Section& section = old[i];
    if (used.count(i) != 0 || i == 0 || section.name == "CONFIG") continue;
    if (section.name == "COM" && std::any_of(merged.begin(), merged.end(),
                                             [](const Section& s) { return s.name == "COM"; })) {
      continue;
    }
    merged.push_back(section);
    const long number = CommandNumber(section.name);
    if (number >= 0) {
      moved[number] = next;
      merged.back().name = kCommand + std::to_string(next++);
    }
  }
  // Buttons moved past the 49 sections the look-up visits by default stay
  // within its reach.
  const long last = next - 1;
  for (Section& section : merged) {
    if (section.name != "CONFIG" || last <= kDefaultLastCommand) continue;
    if (std::atol(ValueOf(section, "LAST_COMMAND").c_str()) >= last) continue;
    Drop(section, "LAST_COMMAND");
    section.lines.insert(section.lines.begin(), "LAST_COMMAND=" + std::to_string(last));
  }
  std::string out;
  for (Section& section : merged) {
    if (IsProgram(section) && Has(section, "Param1")) {
      const std::string renamed = Renumber(ValueOf(section, "Param1"), moved);
      Drop(section, "Param1");
      section.lines.push_back("Param1=" + renamed);
    }
    if (!section.name.empty() || &section != &merged.front()) out += "[" + section.name + "]\r\n";
    for (const std::string& line : section.lines) out += line + "\r\n";
  }
  return out;
}

}  // namespace vireo
