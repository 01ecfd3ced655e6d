#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "config/ConfigFile.h"
#include "config/IniLineReader.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

using Entry = std::pair<std::string, std::string>;
struct Dump {
  std::vector<std::string> sections;
  std::vector<std::vector<Entry>> entries;
};

Dump DumpOf(const ConfigFile& config) {
  Dump dump;
  dump.sections = config.SectionNames();
  for (const ConfigSection& section : config.Sections()) {
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < section.keys.size(); ++i) {
      entries.emplace_back(section.keys[i], section.values[i]);
    }
    dump.entries.push_back(entries);
  }
  return dump;
}

class ConfigFileTest : public ::testing::Test {
 protected:
  bool LoadText(const std::string& bytes) {
    config.SetPath(dir.Write("VIREO.INI", bytes));
    return config.Load();
  }
  test::TempDir dir;
  ConfigFile config;
};

struct LineCase {
  const char* name;
  std::string file;
  std::vector<std::string> sections;
  std::vector<std::vector<Entry>> entries;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class LineRules : public ConfigFileTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineRules, StoresExactly) {
  const LineCase& c = GetParam();
  ASSERT_TRUE(LoadText(c.file));
  Dump dump = DumpOf(config);
  EXPECT_EQ(dump.sections, c.sections);
  EXPECT_EQ(dump.entries, c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, LineRules,
    ::testing::Values(
        LineCase{"Header", "[COMMAND1]\nValue=01\n", {"COMMAND1"}, {{{"Value", "01"}}}},
        LineCase{"RepeatedBrackets", "[[X]]\na=1\n", {"X"}, {{{"a", "1"}}}},
        LineCase{"EmptyName", "[]\na=1\n", {""}, {{{"a", "1"}}}},
        LineCase{"OnlyBrackets", "[[]]]\na=1\n", {""}, {{{"a", "1"}}}},
        LineCase{"BlanksKept", "[ A ]\na=1\n", {" A "}, {{{"a", "1"}}}},
        LineCase{"InnerBracketsKept", "[]x[]\na=1\n", {"]x["}, {{{"a", "1"}}}},
        LineCase{"HeaderAloneStoresNothing", "[A]\n[B]\nk=v\n", {"B"}, {{{"k", "v"}}}},
        LineCase{"LeadingBlankIsNoHeader", "[S]\n [A]\n", {"S"}, {{{"", "[A]"}}}},
        LineCase{"TextAfterHeaderIsKey", "[A] x=1\n", {""}, {{{"[A] x", "1"}}}},
        LineCase{"SplitAtFirstEquals", "Value=a=b\n", {""}, {{{"Value", "a=b"}}}},
        LineCase{"EmptyKey", "=abc\n", {""}, {{{"", "abc"}}}},
        LineCase{"NoEqualsDropsFirstChar", "abc\n", {""}, {{{"", "bc"}}}},
        LineCase{"CommentIsStored", ";note\n;x=1\n", {""}, {{{"", "note"}, {";x", "1"}}}},
        LineCase{"NoTrimming", "Action = OPEN\n", {""}, {{{"Action ", " OPEN"}}}},
        LineCase{"EmptyValue", "Key=\n", {""}, {{{"Key", ""}}}},
        LineCase{"LastValueWins", "Port=1\nPort=2\n", {""}, {{{"Port", "2"}}}},
        LineCase{"SectionsContinue",
                 "[A]\nx=1\n[B]\ny=2\n[A]\nx=3\nz=4\n",
                 {"A", "B"},
                 {{{"x", "3"}, {"z", "4"}}, {{"y", "2"}}}},
        LineCase{"CaseSensitive",
                 "[COM]\nPort=1\n[com]\nport=2\n",
                 {"COM", "com"},
                 {{{"Port", "1"}}, {{"port", "2"}}}},
        LineCase{"CrLfAndLf", "[A]\r\nx=1\r\ny=2\n", {"A"}, {{{"x", "1"}, {"y", "2"}}}},
        LineCase{"LoneCrStays", "x=1\ry\r\n", {""}, {{{"x", "1\ry"}}}},
        LineCase{"CrLfOnHeader", "[A]\r\nx=1", {"A"}, {{{"x", "1"}}}},
        LineCase{"LastLineWithoutEnd", "[A]\nx=1", {"A"}, {{{"x", "1"}}}},
        LineCase{"EmptyLinesIgnored", "\n\n[A]\n\r\n\nx=1\n\n", {"A"}, {{{"x", "1"}}}},
        LineCase{
            "NulEndsLine", std::string("x=1\0tail\ny=2\n", 14), {""}, {{{"x", "1"}, {"y", "2"}}}},
        LineCase{"NulFirstIsEmptyLine", std::string("\0x=1\ny=2\n", 9), {""}, {{{"y", "2"}}}},
        LineCase{"CtrlZEndsData", "x=1\n\x1Ay=2\n", {""}, {{{"x", "1"}}}},
        LineCase{"ByteOrderMarkHidesHeader",
                 "\xEF\xBB\xBF[CONFIG]\nPort=1\n",
                 {""},
                 {{{"", "\xBB\xBF[CONFIG]"}, {"Port", "1"}}}},
        LineCase{
            "KeysBeforeFirstHeader", "a=1\n[S]\nb=2\n", {"", "S"}, {{{"a", "1"}}, {{"b", "2"}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigFileTest, LongLinesAreCutAt2047Bytes) {
  std::string line3000 = "k=" + std::string(2998, 'v');
  ASSERT_TRUE(LoadText(line3000 + "\n"));
  // 2047 bytes: "k=" and 2045 v; then 953 v with no "=": one v dropped.
  EXPECT_EQ(config.GetString("", "k"), std::string(2045, 'v'));
  EXPECT_EQ(config.GetString("", ""), std::string(952, 'v'));
}

TEST_F(ConfigFileTest, LineOfExactly2047BytesKeepsItsLineEnd) {
  std::string line = "k=" + std::string(2045, 'v');
  ASSERT_TRUE(LoadText(line + "\r\nnext=1\n"));
  EXPECT_EQ(config.GetString("", "k"), std::string(2045, 'v'));
  EXPECT_EQ(config.GetString("", "next"), "1");
  EXPECT_EQ(config.Sections()[0].keys.size(), 2u);
}

TEST_F(ConfigFileTest, CrLfSplitAcrossReadBlocksStaysOneLineEnd) {
  // The reader takes 64 KiB at a time; put a CR on the last byte of a block.
  std::string text;
  while (text.size() < 65532) text += "a=1\n";
  text += "xy=\r\ny=2\n";
  ASSERT_EQ(text[65535], '\r');
  ASSERT_TRUE(LoadText(text));
  EXPECT_EQ(config.GetString("", "xy"), "");
  EXPECT_EQ(config.GetString("", "y"), "2");
}

TEST_F(ConfigFileTest, LookUpMessages) {
  ASSERT_TRUE(LoadText("[A]\nx=1\nempty=\n"));
  EXPECT_EQ(config.LastError(), "");
  EXPECT_EQ(config.GetString("B", "x"), "");
  EXPECT_EQ(config.LastError(), "Unable to locate specified key.");
  EXPECT_EQ(config.GetString("A", "y"), "");
  EXPECT_EQ(config.LastError(), "Unable to locate specified value.");
  // Successes do not clear the message; an empty value is a success.
  EXPECT_EQ(config.GetString("A", "x"), "1");
  EXPECT_EQ(config.GetString("A", "empty"), "");
  EXPECT_EQ(config.GetInt("A", "empty"), 0);
  EXPECT_EQ(config.LastError(), "Unable to locate specified value.");
  EXPECT_EQ(config.GetInt("Z", "x"), 0);
  EXPECT_EQ(config.LastError(), "Unable to locate specified key.");
}

TEST_F(ConfigFileTest, MissingFileFailsWithoutMessage) {
  config.SetPath(dir.File("nothing.ini"));
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(config.LastError(), "");
}

TEST_F(ConfigFileTest, FolderCannotBeOpened) {
  ASSERT_TRUE(LoadText("x=1\n"));
  config.SetPath(dir.Path().string());
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(config.LastError(), "Unable to open ini file.");
  EXPECT_EQ(config.GetString("", "x"), "1");
}

TEST_F(ConfigFileTest, ReloadMerges) {
  ASSERT_TRUE(LoadText("[A]\nx=1\ny=2\n[B]\nz=3\n"));
  ASSERT_TRUE(LoadText("[C]\nw=4\n[A]\ny=5\nv=6\n"));
  Dump dump = DumpOf(config);
  EXPECT_EQ(dump.sections, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(dump.entries[0], (std::vector<Entry>{{"x", "1"}, {"y", "5"}, {"v", "6"}}));
  EXPECT_EQ(dump.entries[1], (std::vector<Entry>{{"z", "3"}}));
  EXPECT_EQ(dump.entries[2], (std::vector<Entry>{{"w", "4"}}));

  // A failed load leaves everything held before.
  config.SetPath(dir.File("gone.ini"));
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(config.GetString("A", "x"), "1");
}

TEST_F(ConfigFileTest, SetValueWithoutCreate) {
  EXPECT_FALSE(config.SetValue("A", "x", "1", false));
  EXPECT_TRUE(config.SetValue("A", "x", "1", true));
  EXPECT_FALSE(config.SetValue("A", "y", "2", false));
  EXPECT_TRUE(config.SetValue("A", "x", "3", false));
  EXPECT_EQ(config.GetString("A", "x"), "3");
  EXPECT_EQ(config.SectionNames().size(), 1u);
}

TEST_F(ConfigFileTest, GetIntFollowsAtoi) {
  ASSERT_TRUE(
      LoadText("a= 42abc\nb=-7\nc=abc\nd=+12\ne=\t\v 9\nf=99999999999\ng=-99999999999\n"
               "h=2147483647\ni=-2147483648\nj=2147483648\nk=- 5\nl=0x1F\n"));
  EXPECT_EQ(config.GetInt("", "a"), 42);
  EXPECT_EQ(config.GetInt("", "b"), -7);
  EXPECT_EQ(config.GetInt("", "c"), 0);
  EXPECT_EQ(config.GetInt("", "d"), 12);
  EXPECT_EQ(config.GetInt("", "e"), 9);
  EXPECT_EQ(config.GetInt("", "f"), 2147483647);
  EXPECT_EQ(config.GetInt("", "g"), -2147483647 - 1);
  EXPECT_EQ(config.GetInt("", "h"), 2147483647);
  EXPECT_EQ(config.GetInt("", "i"), -2147483647 - 1);
  EXPECT_EQ(config.GetInt("", "j"), 2147483647);
  EXPECT_EQ(config.GetInt("", "k"), 0);
  EXPECT_EQ(config.GetInt("", "l"), 0);
}

TEST_F(ConfigFileTest, HostileFilesLoad) {
  // Binary garbage, very long lines and many distinct keys must load in
  // reasonable time and without harm.
  std::string garbage;
  unsigned state = 12345;
  for (int i = 0; i < 50'000'000; ++i) {
    state = state * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(state >> 16));
  }
  ASSERT_TRUE(LoadText(garbage));
  std::string longLines;
  for (int i = 0; i < 20; ++i) {
    longLines.append("k").append(std::to_string(i)).append("=");
    longLines.append(100000, 'x').append("\n");
  }
  ASSERT_TRUE(LoadText(longLines));
  EXPECT_EQ(config.GetString("", "k3"), std::string(2047 - 3, 'x'));
  std::string manyKeys;
  for (int i = 0; i < 200000; ++i) {
    manyKeys.append("key")
        .append(std::to_string(i))
        .append("=")
        .append(std::to_string(i))
        .append("\n");
  }
  ASSERT_TRUE(LoadText(manyKeys));
  EXPECT_EQ(config.GetInt("", "key199999"), 199999);
}

}  // namespace
}  // namespace vireo
