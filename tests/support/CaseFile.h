// Test cases kept as data under tests/data: tables of whitespace-separated
// fields, and case files of named cases with one-line fields and blocks of
// text. Texts are UTF-8 in the files and Windows-1251 once read, as the
// system's own; the escapes \r \n \t \0 \\ \s (a blank) and \xHH write bytes
// that a text file cannot show.
//
//   # a comment
//   === CaseName
//   field: value
//   --- block
//   lines of the block, each read with its "\n"
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace vireo::test {

// The path of a file under tests/data, as this program reaches it.
std::string DataPath(const std::string& relative);
std::string ReadBytes(const std::string& path);

std::string Utf8ToCp1251(const std::string& text);
std::string Unescape(const std::string& text);

// The rows of a table; "#" starts a comment line and a field "-" is empty.
using Row = std::vector<std::string>;
std::vector<Row> ReadTable(const std::string& relative);

struct Case {
  std::string name;
  std::map<std::string, std::string> fields;  // one-line fields and blocks alike
  const std::string& operator[](const std::string& key) const;
  bool Has(const std::string& key) const { return fields.count(key) != 0; }
};
// Names the case in test listings instead of dumping its fields.
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
std::vector<Case> ReadCases(const std::string& relative);

// First frames of real handset captures (microseconds, mark first), named
// by file and button.
struct Captured {
  std::string source;
  std::vector<int> durationsUs;
};
const std::vector<Captured>& CapturedPackets();

// The lines of a text, each without its "\n" (or CR LF, as the log has them).
std::vector<std::string> Lines(const std::string& text);

}  // namespace vireo::test

// Names parameterised cases by their first field or their name.
#define VIREO_CASE_NAME [](const auto& info) { return vireo::test::CaseNameOf(info.param); }
namespace vireo::test {
std::string CaseNameOf(const Case& c);
std::string CaseNameOf(const Row& row);
}  // namespace vireo::test
