// The serial line through Wine's real serial driver, on a pseudo-terminal
// that serial-pty-test.sh maps to a COM port. Without help a pseudo-terminal
// has no modem lines; under the fakemodem shim it has them, and the test
// drives CTS through the shim's input file and watches DTR and RTS in its
// output file. Run by that script only:
//   VIREO_PTY_PORT    the COM port number mapped to the pseudo-terminal
//   VIREO_MODEM_IN    the shim's input file, as a Windows path
//   VIREO_MODEM_OUT   the shim's output file, as a Windows path
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/win32/Win32SerialLine.h"

namespace vireo {
namespace {

std::string Setting(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string port = Setting("VIREO_PTY_PORT");
    ASSERT_FALSE(port.empty()) << "run by serial-pty-test.sh, which maps the port";
    portNumber = std::atoi(port.c_str());
    // The machine's console may sit behind COM1; never let a typo reach it.
    ASSERT_GT(portNumber, 1);
  }
  std::int32_t portNumber = 0;
  Win32SerialLine line;
};

TEST_F(PtyTest, PlainPtyOpensButHasNoModemLines) {
  ASSERT_TRUE(line.Open(portNumber));
  EXPECT_TRUE(line.IsOpen());
  EXPECT_FALSE(line.Open(portNumber));
  EXPECT_TRUE(line.IsOpen());

  // Error 50, not supported, comes from the driver: the handle reached it.
  SetLastError(0);
  EXPECT_FALSE(line.SetDtr(true));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(line.SetRts(true));
  EXPECT_EQ(line.ReadCts(), -1);

  EXPECT_TRUE(line.Close());
  EXPECT_FALSE(line.IsOpen());
  EXPECT_TRUE(line.Close());
  ASSERT_TRUE(line.Open(portNumber));
  EXPECT_TRUE(line.Close());
}

class FakeModemTest : public PtyTest {
 protected:
  void SetUp() override {
    PtyTest::SetUp();
    inputFile = Setting("VIREO_MODEM_IN");
    outputFile = Setting("VIREO_MODEM_OUT");
    ASSERT_FALSE(inputFile.empty());
    ASSERT_FALSE(outputFile.empty());
    SetInputs("");
  }
  void SetInputs(const std::string& lines) {
    std::ofstream(inputFile, std::ios::trunc) << lines << "\n";
  }
  // The output lines as the shim last wrote them.
  std::string Outputs() {
    std::ifstream in(outputFile);
    std::string lines;
    std::getline(in, lines);
    return lines;
  }
  std::string inputFile;
  std::string outputFile;
};

TEST_F(FakeModemTest, OutputsSwitchAndCtsIsReadThroughTheDriver) {
  ASSERT_TRUE(line.Open(portNumber));
  ASSERT_TRUE(line.SetDtr(true));
  ASSERT_TRUE(line.SetRts(true));
  EXPECT_EQ(Outputs(), "DTR RTS");
  EXPECT_TRUE(line.SetDtr(false));
  EXPECT_EQ(Outputs(), "RTS");
  EXPECT_TRUE(line.SetRts(false));
  EXPECT_EQ(Outputs(), "");
  EXPECT_TRUE(line.SetRts(true));
  EXPECT_TRUE(line.SetDtr(true));
  EXPECT_EQ(Outputs(), "DTR RTS");

  struct {
    const char* inputs;
    int cts;
  } const cases[] = {
      {"CTS", 1}, {"", 0}, {"DSR", 0}, {"CTS DSR", 1}, {"DSR RI CD", 0}, {"CTS RI CD", 1},
  };
  for (const auto& c : cases) {
    SetInputs(c.inputs);
    EXPECT_EQ(line.ReadCts(), c.cts) << "inputs: " << c.inputs;
  }

  // A second open changes nothing; the first handle goes on working.
  EXPECT_FALSE(line.Open(portNumber));
  SetInputs("CTS");
  EXPECT_EQ(line.ReadCts(), 1);
  EXPECT_EQ(Outputs(), "DTR RTS");
}

TEST_F(FakeModemTest, CloseDropsDtrAndThePortOpensAgain) {
  ASSERT_TRUE(line.Open(portNumber));
  ASSERT_TRUE(line.SetDtr(true));
  ASSERT_TRUE(line.SetRts(true));
  EXPECT_TRUE(line.Close());
  EXPECT_EQ(Outputs().find("DTR"), std::string::npos) << Outputs();
  EXPECT_EQ(line.ReadCts(), -1);

  ASSERT_TRUE(line.Open(portNumber));
  EXPECT_TRUE(line.SetDtr(true));
  SetInputs("CTS");
  EXPECT_EQ(line.ReadCts(), 1);
  EXPECT_TRUE(line.Close());
}

}  // namespace
}  // namespace vireo
