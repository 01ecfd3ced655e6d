#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "text/Cp1251.h"

namespace vireo::test {

std::string DataPath(const std::string& relative) {
  return std::string(VIREO_SOURCE_DIR) + "/tests/data/" + relative;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Utf8ToCp1251(const std::string& text) {
  static const std::map<std::string, char> reverse = [] {
    std::map<std::string, char> map;
    for (int byte = 0x80; byte < 0x100; ++byte) {
      map[Cp1251ToUtf8(std::string(1, static_cast<char>(byte)))] = static_cast<char>(byte);
    }
    return map;
  }();
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
    const auto it = reverse.find(text.substr(i, n));
    out += n == 1 || it == reverse.end() ? text[i] : it->second;
    i += n == 1 || it == reverse.end() ? 1 : n;
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'x') {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      const std::string from = "rnt0s", to("\r\n\t\0 ", 5);
      const std::size_t k = from.find(c);
      out += k == std::string::npos ? c : to[k];
    }
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<Row> ReadTable(const std::string& relative) {
  std::vector<Row> rows;
  for (const std::string& line : Lines(ReadBytes(DataPath(relative)))) {
    std::istringstream fields(Utf8ToCp1251(line));
    Row row;
    for (std::string field; fields >> field;) row.push_back(field == "-" ? "" : Unescape(field));
    if (!row.empty() && row[0][0] != '#') rows.push_back(row);
  }
  EXPECT_FALSE(rows.empty()) << relative;
  return rows;
}

const std::vector<Captured>& CapturedPackets() {
  static const std::vector<Captured> packets = [] {
    std::vector<Captured> all;
    for (const Row& row : ReadTable("signal/captured.txt")) {
      all.push_back({row[0], {}});
      for (std::size_t i = 1; i < row.size(); ++i)
        all.back().durationsUs.push_back(std::stoi(row[i]));
    }
    return all;
  }();
  return packets;
}

const std::string& Case::operator[](const std::string& key) const {
  static const std::string kEmpty;
  const auto it = fields.find(key);
  return it == fields.end() ? kEmpty : it->second;
}

std::vector<Case> ReadCases(const std::string& relative) {
  std::vector<Case> cases;
  std::string* block = nullptr;
  // Blank lines between cases are for the reader; a block that must end
  // with an empty line says so with "\n".
  auto close = [&block] {
    while (block && block->size() >= 2 && block->compare(block->size() - 2, 2, "\n\n") == 0) {
      block->pop_back();
    }
    block = nullptr;
  };
  for (const std::string& raw : Lines(ReadBytes(DataPath(relative)))) {
    const std::string line = Utf8ToCp1251(raw);
    if (line.rfind("=== ", 0) == 0) {
      close();
      cases.push_back({line.substr(4), {}});
    } else if (cases.empty()) {
      continue;  // the file's heading
    } else if (line.rfind("--- ", 0) == 0) {
      close();
      block = &cases.back().fields[line.substr(4)];
    } else if (block) {
      *block += Unescape(line) + "\n";
    } else if (const std::size_t colon = line.find(": "); colon != std::string::npos) {
      cases.back().fields[line.substr(0, colon)] = Unescape(line.substr(colon + 2));
    }
  }
  close();
  EXPECT_FALSE(cases.empty()) << relative;
  return cases;
}

std::string CaseNameOf(const Case& c) { return c.name; }

std::string CaseNameOf(const Row& row) {
  std::string name;
  for (char c : row[0]) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

}  // namespace vireo::test
