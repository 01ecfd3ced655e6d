#include <gtest/gtest.h>

#include "config/ConfigFile.h"
#include "config/FileReplace.h"
#include "config/IniMerge.h"
#include "config/NumberText.h"
#include "support/CaseFile.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

// What the reader holds: each section as "[name]", then its keys in order.
std::string Held(const ConfigFile& config) {
  std::string text;
  for (std::size_t s = 0; s < config.Sections().size(); ++s) {
    const ConfigSection& section = config.Sections()[s];
    text += "[" + config.SectionNames()[s] + "]\n";
    for (std::size_t k = 0; k < section.keys.size(); ++k) {
      text += section.keys[k] + "=" + section.values[k] + "\n";
    }
  }
  return text;
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

class ConfigLines : public ConfigFileTest, public ::testing::WithParamInterface<test::Case> {};

TEST_P(ConfigLines, HoldsExactly) {
  const test::Case& c = GetParam();
  ASSERT_TRUE(LoadText(c["ini"]));
  if (c.Has("reload")) {
    ASSERT_TRUE(LoadText(c["reload"]));
  }
  EXPECT_EQ(Held(config), c["held"]);
}

INSTANTIATE_TEST_SUITE_P(Data, ConfigLines,
                         ::testing::ValuesIn(test::ReadCases("config/lines.cases")),
                         VIREO_CASE_NAME);

class Numbers : public ConfigFileTest, public ::testing::WithParamInterface<test::Row> {};

TEST_P(Numbers, ReadAsAtoiReads) {
  const test::Row& row = GetParam();
  const std::int32_t expected = std::stoi(row[1]);
  EXPECT_EQ(ParseDecimal(row[0]), expected);
  ASSERT_TRUE(LoadText("k=" + row[0] + "\n"));
  EXPECT_EQ(config.GetInt("", "k"), expected);
  EXPECT_EQ(DecimalText(expected), row[1]);
}

INSTANTIATE_TEST_SUITE_P(Data, Numbers, ::testing::ValuesIn(test::ReadTable("config/numbers.txt")));

class Merge : public ::testing::TestWithParam<test::Case> {};

TEST_P(Merge, KeepsWhatTheUserWroteByHand) {
  const test::Case& c = GetParam();
  std::string expected;
  for (const std::string& line : test::Lines(c["merged"])) expected += line + "\r\n";
  EXPECT_EQ(MergeLearnedIni(c["old"], c["learned"]), expected);
}

INSTANTIATE_TEST_SUITE_P(Data, Merge, ::testing::ValuesIn(test::ReadCases("config/merge.cases")),
                         VIREO_CASE_NAME);

// The old file is kept as the backup and replaced whole; when a step fails
// it stays as it was and no temporary file is left.
TEST(FileReplace, ReplacesWholeOrLeavesTheOldFile) {
  test::TempDir dir;
  const std::string ini = dir.Write("VIREO.INI", "old"), bak = dir.File("VIREO.INI.bak");
  std::string error;
  ASSERT_TRUE(ReplaceFile(ini, "new", bak, error)) << error;
  EXPECT_EQ(test::ReadBytes(ini), "new");
  EXPECT_EQ(test::ReadBytes(bak), "old");
  EXPECT_FALSE(std::filesystem::exists(ini + ".new"));

  std::filesystem::create_directory(bak + ".d");
  EXPECT_FALSE(ReplaceFile(ini, "newer", bak + ".d", error));
  EXPECT_EQ(error, "cannot copy " + ini + " to " + bak + ".d");
  std::filesystem::create_directory(ini + ".new");
  EXPECT_FALSE(ReplaceFile(ini, "newer", bak, error));
  EXPECT_EQ(error, "cannot create " + ini + ".new");
  EXPECT_EQ(test::ReadBytes(ini), "new");
  std::filesystem::remove(ini + ".new");
  EXPECT_FALSE(ReplaceFile(dir.File("none/VIREO.INI"), "x", "", error));
  EXPECT_TRUE(ReplaceFile(dir.File("fresh.ini"), "x", bak, error));
  EXPECT_EQ(test::ReadBytes(bak), "old");
}

TEST_F(ConfigFileTest, LinesAreCutAt2047BytesAndKeepTheirEndAcrossReadBlocks) {
  // 2047 bytes are "k=" and 2045 v; the rest has no "=" and loses one v.
  ASSERT_TRUE(
      LoadText("k=" + std::string(2998, 'v') + "\nj=" + std::string(2045, 'v') + "\r\nnext=1\n"));
  EXPECT_EQ(config.GetString("", "k"), std::string(2045, 'v'));
  EXPECT_EQ(config.GetString("", ""), std::string(952, 'v'));
  EXPECT_EQ(config.GetString("", "next"), "1");  // a 2047-byte line still takes its CR LF
  EXPECT_EQ(config.Sections()[0].keys.size(), 4u);

  // The reader takes 64 KiB at a time: a CR on the last byte of a block.
  std::string text;
  while (text.size() < 65532) text += "a=1\n";
  ASSERT_TRUE(LoadText(text + "xy=\r\ny=2\n"));
  EXPECT_EQ(config.GetString("", "xy"), "");
  EXPECT_EQ(config.GetString("", "y"), "2");
}

TEST_F(ConfigFileTest, LookUpMessagesAndFailedLoads) {
  config.SetPath(dir.File("nothing.ini"));
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(config.LastError(), "");
  ASSERT_TRUE(LoadText("[A]\nx=1\nempty=\n"));
  EXPECT_EQ(config.GetString("B", "x"), "");
  EXPECT_EQ(config.LastError(), "Unable to locate specified key.");
  EXPECT_EQ(config.GetString("A", "y"), "");
  EXPECT_EQ(config.LastError(), "Unable to locate specified value.");
  // Successes do not clear the message; an empty value is a success.
  EXPECT_EQ(config.GetString("A", "x"), "1");
  EXPECT_EQ(config.GetInt("A", "empty"), 0);
  EXPECT_EQ(config.LastError(), "Unable to locate specified value.");
  EXPECT_EQ(config.GetInt("Z", "x"), 0);
  EXPECT_EQ(config.LastError(), "Unable to locate specified key.");
  // A folder cannot be opened, and a failed load keeps what was held.
  config.SetPath(dir.Path().string());
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(config.LastError(), "Unable to open ini file.");
  EXPECT_EQ(config.GetString("A", "x"), "1");

  EXPECT_FALSE(config.SetValue("N", "x", "1", false));
  EXPECT_TRUE(config.SetValue("N", "x", "1", true));
  EXPECT_FALSE(config.SetValue("N", "y", "2", false));
  EXPECT_TRUE(config.SetValue("N", "x", "3", false));
  EXPECT_EQ(Held(config), "[A]\nx=1\nempty=\n[N]\nx=3\n");
}

TEST_F(ConfigFileTest, HostileFilesLoad) {
  // Binary garbage, very long lines and many distinct keys load in
  // reasonable time and without harm.
  std::string garbage;
  for (unsigned i = 0, state = 12345; i < 50'000'000; ++i) {
    state = state * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(state >> 16));
  }
  ASSERT_TRUE(LoadText(garbage));
  std::string text;
  for (int i = 0; i < 20; ++i)
    text += "k" + std::to_string(i) + "=" + std::string(100000, 'x') + "\n";
  for (int i = 0; i < 200000; ++i)
    text += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  ASSERT_TRUE(LoadText(text));
  EXPECT_EQ(config.GetString("", "k3"), std::string(2047 - 3, 'x'));
  EXPECT_EQ(config.GetInt("", "key199999"), 199999);
}

}  // namespace
}  // namespace vireo
