// The USB receiver's firmware in simavr: PB0 played from a script, the UART
// read through BoardStreamDecoder, each level held against the one played.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <utility>

#include "SimBoard.h"
#include "platform/sim/Recording.h"
#include "signal/BoardStream.h"
#include "support/CaseFile.h"

namespace vireo {
namespace {

using test::kCyclesPerUs;
constexpr std::int64_t kWordUs = BoardStreamDecoder::kContinuedUs;
constexpr std::int64_t kMinLevelUs = 20;  // shorter ones the board marks lost

struct Level {
  bool light = false;
  std::int64_t us = 0;
  int words = 0;
  std::uint64_t cycle = 0;  // heard: when its last word began in the UART
};

// Levels of the line: "L<us>"/"D<us>" with/without light, "flood:<n>x<us>",
// or a Flipper file (from the source folder) with 100 ms dark after each
// button; "v" asks for the hello there. Neighbours of one kind merge.
struct Script {
  std::vector<Level> levels{{}};  // dark from reset
  std::vector<std::int64_t> requestsUs;
  std::size_t afterFlood = 0;
  std::int64_t us = 0;

  explicit Script(const std::string& text) {
    std::istringstream items(text);
    for (std::string item; items >> item;) {
      sim::Recording file;
      std::string error;
      if (item == "v") {
        requestsUs.push_back(us);
      } else if (item[0] == 'L' || item[0] == 'D') {
        Add(item[0] == 'L', std::stoll(item.substr(1)));
      } else if (item.rfind("flood:", 0) == 0) {
        for (int i = 0; i < std::stoi(item.substr(6)); ++i)
          Add(i % 2 == 0, std::stoll(item.substr(item.find('x') + 1)));
        afterFlood = levels.size();
      } else if (sim::ParseFlipperIr(test::ReadBytes(VIREO_SOURCE_DIR "/" + item), "", 100, file,
                                     error) &&
                 !file.empty()) {
        for (const sim::Segment& s : file) Add(s.level == 0, s.durationUs);
      } else {
        ADD_FAILURE() << "cannot play " << item << " " << error;
      }
    }
  }
  void Add(bool light, std::int64_t length) {
    if (levels.back().light != light) levels.push_back({light, 0});
    levels.back().us += length;
    us += length;
  }
};

// The continuation words summed into their level.
struct Heard : BoardStreamSink {
  std::vector<Level> levels;
  std::vector<std::size_t> marks;  // levels heard before each overflow mark
  std::vector<std::string> lines;
  std::size_t levelsBeforeHello = 0;
  bool mixedWords = false;
  Level open;
  std::uint64_t wordCycle = 0;

  void OnLevel(bool light, std::uint32_t us, bool continues) override {
    mixedWords |= open.words > 0 && open.light != light;
    open = {light, open.us + us, open.words + 1, wordCycle};
    if (!continues) levels.push_back(std::exchange(open, {}));
  }
  void OnOverflow() override {
    marks.push_back(levels.size());
    open = {};
  }
  void OnTextLine(std::string_view line) override {
    if (lines.empty()) levelsBeforeHello = levels.size();
    lines.emplace_back(line);
  }
};

struct Board : test::SimBoard {
  Heard heard;
  BoardStreamDecoder decoder;
  std::uint8_t last = 0;
  int reservedWords = 0;  // L = 1, d = 0: the host reads them as overflows too

  Board() : SimBoard(VIREO_FIRMWARE_ELF, &Board::OnByte, this) {}
  static void OnByte(avr_irq_t*, std::uint32_t value, void* param) {
    auto* board = static_cast<Board*>(param);
    const std::uint8_t byte = value;
    if (byte & 0x80) board->heard.wordCycle = board->avr->cycle;
    board->reservedWords += board->last == 0xC0 && byte == 0;
    board->last = byte;
    board->decoder.Feed(&byte, 1, board->heard);
  }
};

struct Row {
  const char* name;
  const char* script;
  bool overflows;     // levels come faster than 250000 baud carries them
  bool betweenTicks;  // each edge a different fraction of a microsecond late
};

const Row kRows[] = {
    {"HelloOnRequestBetweenWords", "D5000 v D20000 L600 D3000 v L9000 D700 v D40000", false, false},
    {"LongLevelsInPieces", "D5000 L560 D100000 L20000 D300 L9000 D8191 L8200 D40 L20 D50000", false,
     false},
    {"FramesPastTheTimerWrap", "D10000 examples/Samsung_HW-FM45.ir D50000", false, false},
    {"ShortLevels", "D10000 tests/data/recognition/DVB-T/Cyfrowy_polsat.ir", false, false},
    {"EdgesBetweenTicks", "D10000 examples/Samsung_HW-FM45.ir D50000", false, true},
    {"GlitchMarkedLost", "D10000 flood:1x10 D30000 L560 D20000", true, false},
    {"FloodFillsTheBuffer", "D10000 flood:1001x25 D50000 examples/Samsung_HW-FM45.ir", true, false},
    {"FloodTooFastToTime", "D10000 flood:301x2 D50000 examples/Samsung_HW-FM45.ir", true, false},
};

class FirmwareSimavr : public ::testing::TestWithParam<Row> {};

TEST_P(FirmwareSimavr, ReportsEveryLevelOrMarksTheLoss) {
  const Row& row = GetParam();
  const Script script(row.script);
  const std::vector<Level>& played = script.levels;
  Board board;
  ASSERT_TRUE(board.avr) << "cannot load " << VIREO_FIRMWARE_ELF;
  std::vector<std::uint64_t> edges;  // the cycle that ended each played level
  std::int64_t endUs = 0;
  std::size_t asked = 0;
  for (std::size_t i = 0; i < played.size(); ++i) {
    if (i > 0) board.SetLight(played[i].light);
    for (endUs += played[i].us;
         asked < script.requestsUs.size() && script.requestsUs[asked] < endUs; ++asked) {
      ASSERT_TRUE(board.RunUntil(script.requestsUs[asked] * kCyclesPerUs));
      avr_raise_irq(board.Uart(UART_IRQ_INPUT), kBoardHelloRequest);
    }
    ASSERT_TRUE(
        board.RunUntil(endUs * kCyclesPerUs + (row.betweenTicks ? i * 7 % kCyclesPerUs : 0)));
    edges.push_back(board.avr->cycle);
  }
  // simavr passes bytes at any baud rate, so the line's settings are read:
  // UBRR0 3 with U2X0 off is 250000 baud; no multiprocessor mode; 8N1.
  const std::uint8_t* io = board.avr->data;
  EXPECT_EQ(io[0xC4] | io[0xC5] << 8, 3);
  EXPECT_EQ(io[0xC0] & 3, 0);
  EXPECT_EQ(io[0xC2], 6);
  EXPECT_EQ(board.reservedWords, 0);
  const Heard& heard = board.heard;
  EXPECT_EQ(heard.lines, std::vector<std::string>(1 + asked, std::string(kBoardHello)));
  EXPECT_EQ(heard.levelsBeforeHello, 0u);
  EXPECT_FALSE(heard.mixedWords);
  // The last level goes on; its words keep coming.
  EXPECT_GT(heard.open.us, played.back().us - kWordUs - 200);
  EXPECT_LE(heard.open.us, played.back().us);

  // Heard level h is played level h + shift; the first, from reset, is cut.
  // After an overflow mark come the last levels played, the first of them
  // possibly off at its start.
  const std::size_t ended = played.size() - 1;
  std::size_t from = 1;
  const std::size_t shift = ended - heard.levels.size();
  EXPECT_EQ(!heard.marks.empty(), row.overflows);
  if (heard.marks.empty()) {
    ASSERT_EQ(shift, 0u);
  } else {
    for (std::size_t h = 1; h < heard.marks.front(); ++h)
      EXPECT_EQ(heard.levels[h].us, played[h].us) << h;
    from = heard.marks.back();
    ASSERT_LE(from + shift, script.afterFlood) << "no recovery after the flood";
    EXPECT_NEAR(heard.levels[from].us, played[from + shift].us, kMinLevelUs);
    ++from;
  }
  double maxError = 0, drift = 0;
  std::uint64_t maxDelay = 0;
  for (std::size_t h = from; h < heard.levels.size(); ++h) {
    const Level& p = played[h + shift];
    const Level& w = heard.levels[h];
    ASSERT_EQ(w.light, p.light) << h;
    if (!row.betweenTicks) {
      EXPECT_NEAR(w.us, p.us, 1) << h;
    }
    EXPECT_EQ(w.words, p.us / kWordUs + 1) << h;
    // Against the simulated line each level and their sum are within 1 us, but
    // for the 1 us word that ends a level of whole 8191 us pieces.
    const double error = w.us - (p.us % kWordUs == 0) -
                         double(edges[h + shift] - edges[h + shift - 1]) / kCyclesPerUs;
    drift += error;
    EXPECT_LT(std::abs(error), 1.0) << h;
    EXPECT_LT(std::abs(drift), 1.0) << h;
    maxError = std::max(maxError, std::abs(error));
    maxDelay = std::max(maxDelay, w.cycle - edges[h + shift]);
  }
  if (!row.overflows) {
    EXPECT_LT(maxDelay, 1000 * kCyclesPerUs);
  }
  std::printf("%s: max |error| %.3f us; edge to its word's first byte %.1f us\n", row.name,
              maxError, double(maxDelay) / kCyclesPerUs);
}

INSTANTIATE_TEST_SUITE_P(Scripts, FirmwareSimavr, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vireo
