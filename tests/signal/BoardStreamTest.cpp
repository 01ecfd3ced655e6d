// The board's stream decoded from the table's bytes, fed whole and byte by
// byte; the sink writes what it hears as text.
#include <gtest/gtest.h>

#include "signal/BoardStream.h"
#include "support/CaseFile.h"

namespace vireo {
namespace {

struct Heard : BoardStreamSink {
  std::string text;
  void OnLevel(bool light, std::uint32_t us, bool continues) override {
    text += (light ? "L" : "D") + std::to_string(us) + (continues ? "+;" : ";");
  }
  void OnOverflow() override { text += "O;"; }
  void OnTextLine(std::string_view line) override { text.append("T:").append(line) += ';'; }
};

class BoardStream : public ::testing::TestWithParam<test::Row> {};

TEST_P(BoardStream, HearsWordsMarksAndLines) {
  const std::string& bytes = GetParam()[1];
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  Heard whole, byByte;
  BoardStreamDecoder wholeDecoder, byteDecoder;
  wholeDecoder.Feed(data, bytes.size(), whole);
  for (std::size_t i = 0; i < bytes.size(); ++i) byteDecoder.Feed(data + i, 1, byByte);
  EXPECT_EQ(whole.text, GetParam()[2]);
  EXPECT_EQ(byByte.text, whole.text);
}

INSTANTIATE_TEST_SUITE_P(Data, BoardStream,
                         ::testing::ValuesIn(test::ReadTable("signal/board-stream.txt")),
                         VIREO_CASE_NAME);

}  // namespace
}  // namespace vireo
