#include <gtest/gtest.h>

#include "capture/CaptureSettings.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

class CaptureSettingsTest : public ::testing::Test {
 protected:
  void Load(const std::string& text) {
    ASSERT_TRUE(config.Load(dir.Write("VIREO.INI", text)));
    state.Set(kStopped);
  }
  test::TempDir dir;
  SharedConfig config;
  LogSink log;
  RunState state;
  CaptureSettings settings;
};

TEST_F(CaptureSettingsTest, EveryPositiveKeyReportsItsOwnLineInOrder) {
  Load("[CONFIG]\nBUFFER_SIZE=0\n");
  EXPECT_FALSE(ReadCaptureBlock(config, log, state, settings));
  EXPECT_EQ(log.TakeLogIfChanged(),
            "\r\nPACKET_SLEEP<=0\r\nSLEEP_TIMEBIG<=0\r\nSLEEP_TIMESMALL<=0"
            "\r\nPACKET_STOP_PAUSE<=0\r\nPACKET_START_PAUSE<=0\r\nBUFFER_SIZE<=0"
            "\r\nADDPRECISION<=0\r\nPACKET_MAX<=0");
  EXPECT_EQ(state.Get(), kStopRequested);
}

TEST_F(CaptureSettingsTest, ValidBlockIsReadWithAtoiAndNoLine) {
  Load(
      "[CONFIG]\nPACKET_SLEEP=100\nSLEEP_TIMEBIG=12ms\nSLEEP_TIMESMALL= 300\n"
      "PACKET_STOP_PAUSE=8\nPACKET_STOP_VALUE=1\nPACKET_START_PAUSE=5\nPACKET_START_VALUE=-3\n"
      "BUFFER_SIZE=130\nADDPRECISION=50\nPACKET_MAX=200\nPACKET_MIN=ms\nPACKET_VALID=-1\n"
      "PACKET_ELEMENT=7\n");
  EXPECT_TRUE(ReadCaptureBlock(config, log, state, settings));
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  EXPECT_EQ(state.Get(), kStopped);
  EXPECT_EQ(settings.packetSleep, 100);
  EXPECT_EQ(settings.sleepTimeBig, 12);
  EXPECT_EQ(settings.sleepTimeSmall, 300);
  EXPECT_EQ(settings.packetStopPause, 8);
  EXPECT_EQ(settings.packetStopValue, 1);
  EXPECT_EQ(settings.packetStartPause, 5);
  EXPECT_EQ(settings.packetStartValue, -3);
  EXPECT_EQ(settings.bufferSize, 130);
  EXPECT_EQ(settings.addPrecision, 50);
  EXPECT_EQ(settings.packetMax, 200);
  EXPECT_EQ(settings.packetMin, 0);
  EXPECT_EQ(settings.packetValid, -1);
  EXPECT_EQ(settings.packetElement, 7);
}

TEST_F(CaptureSettingsTest, NegativeFailsOnlyPositiveKeys) {
  Load(
      "[CONFIG]\nPACKET_SLEEP=100\nSLEEP_TIMEBIG=10\nSLEEP_TIMESMALL=300\n"
      "PACKET_STOP_PAUSE=8\nPACKET_START_PAUSE=5\nBUFFER_SIZE=130\nADDPRECISION=-50\n"
      "PACKET_MAX=200\n[config]\nADDPRECISION=5\n");
  EXPECT_FALSE(ReadCaptureBlock(config, log, state, settings));
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nADDPRECISION<=0");
  EXPECT_EQ(settings.addPrecision, -50);
}

TEST_F(CaptureSettingsTest, ReadSettingWithoutCheckReturnsZeroSilently) {
  Load("[CONFIG]\nTIMER_TYPE=2\n");
  EXPECT_EQ(ReadSetting(config, log, state, "TIMER_TYPE", false), 2);
  EXPECT_EQ(ReadSetting(config, log, state, "CLASS_PRIORITY", false), 0);
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  EXPECT_EQ(state.Get(), kStopped);
}

}  // namespace
}  // namespace vireo
