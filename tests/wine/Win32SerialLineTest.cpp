// The serial line against a stand-in for the communications API: the exact
// arguments, the device control block, the order of the calls and the
// release of the handle on every way out.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/win32/Win32SerialLine.h"

namespace vireo {
namespace {

// Writes each call to one string, "Name(args)" joined by ";", and marks a
// call made on any handle but the one it handed out with "@stray".
class RecordingCommApi : public CommApi {
 public:
  const HANDLE port = reinterpret_cast<HANDLE>(0x5EA1);
  std::string calls;
  std::string failing;  // the name of the one call that fails
  DCB reported{};       // what GetCommState hands out
  DCB applied{};        // what SetCommState was given
  DWORD modemStatus = 0;

  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                     DWORD disposition, DWORD flags, HANDLE templateFile) override {
    char args[160];
    std::snprintf(args, sizeof args, "%s,%lx,%lu,%s,%lu,%lx,%s", name, access, share,
                  security ? "sa" : "null", disposition, flags, templateFile ? "tpl" : "null");
    Record("CreateFileA", args, port);
    return Fails("CreateFileA") ? INVALID_HANDLE_VALUE : port;
  }
  BOOL SetupComm(HANDLE handle, DWORD inQueue, DWORD outQueue) override {
    Record("SetupComm", std::to_string(inQueue) + "," + std::to_string(outQueue), handle);
    return !Fails("SetupComm");
  }
  BOOL GetCommState(HANDLE handle, DCB* dcb) override {
    Record("GetCommState", "", handle);
    if (Fails("GetCommState")) return FALSE;
    *dcb = reported;
    return TRUE;
  }
  BOOL SetCommState(HANDLE handle, DCB* dcb) override {
    Record("SetCommState", "", handle);
    applied = *dcb;
    return !Fails("SetCommState");
  }
  BOOL PurgeComm(HANDLE handle, DWORD flags) override {
    Record("PurgeComm", Hex(flags), handle);
    return !Fails("PurgeComm");
  }
  BOOL EscapeCommFunction(HANDLE handle, DWORD function) override {
    Record("EscapeCommFunction", std::to_string(function), handle);
    return !Fails("EscapeCommFunction");
  }
  BOOL GetCommModemStatus(HANDLE handle, DWORD* status) override {
    Record("GetCommModemStatus", "", handle);
    if (Fails("GetCommModemStatus")) return FALSE;
    *status = modemStatus;
    return TRUE;
  }
  BOOL CloseHandle(HANDLE handle) override {
    Record("CloseHandle", "", handle);
    return TRUE;
  }

  // The calls recorded since the last take.
  std::string Take() { return std::exchange(calls, std::string()); }

 private:
  static std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%lx", value);
    return text;
  }
  bool Fails(const char* name) const { return failing == name; }
  void Record(const char* name, const std::string& args, HANDLE handle) {
    if (!calls.empty()) calls += ";";
    calls += name;
    if (!args.empty()) calls += "(" + args + ")";
    if (handle != port) calls += "@stray";
  }
};

constexpr char kOpenCom7[] = "CreateFileA(\\\\.\\COM7,c0000000,0,null,3,0,null)";
constexpr char kConfigure[] = "SetupComm(1200,1200);GetCommState;SetCommState;PurgeComm(f)";
constexpr char kCloseCalls[] = "EscapeCommFunction(6);PurgeComm(f);CloseHandle";

std::string Joined(std::initializer_list<std::string> parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ";") + part;
  return text;
}

TEST(Win32SerialLine, OpenConfiguresInOrderAndCloseUndoesItOnce) {
  RecordingCommApi api;
  Win32SerialLine line(api);
  EXPECT_FALSE(line.IsOpen());
  for (int run = 0; run < 2; ++run) {  // the second run proves the first closed it all
    ASSERT_TRUE(line.Open(7));
    EXPECT_TRUE(line.IsOpen());
    EXPECT_EQ(api.Take(), Joined({kOpenCom7, kConfigure}));
    EXPECT_TRUE(line.Close());
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(api.Take(), kCloseCalls);
    EXPECT_TRUE(line.Close());
    EXPECT_EQ(api.Take(), "");
  }
  // Close cannot fail: the line is closed whatever the port answers.
  ASSERT_TRUE(line.Open(7));
  api.failing = "EscapeCommFunction";
  EXPECT_TRUE(line.Close());
  EXPECT_FALSE(line.IsOpen());
}

struct NameCase {
  std::int32_t port;
  const char* name;
};

class Win32SerialLineName : public ::testing::TestWithParam<NameCase> {};

TEST_P(Win32SerialLineName, DeviceNameIsThePortNumberInDecimal) {
  RecordingCommApi api;
  api.failing = "CreateFileA";
  Win32SerialLine line(api);
  EXPECT_FALSE(line.Open(GetParam().port));
  EXPECT_EQ(api.Take(),
            std::string("CreateFileA(") + GetParam().name + ",c0000000,0,null,3,0,null)");
}

INSTANTIATE_TEST_SUITE_P(Ports, Win32SerialLineName,
                         ::testing::Values(NameCase{2, "\\\\.\\COM2"}, NameCase{12, "\\\\.\\COM12"},
                                           NameCase{-1, "\\\\.\\COM-1"},
                                           NameCase{2147483647, "\\\\.\\COM2147483647"}));

// What the port must be given: the block the driver reported, with every
// line setting written and nothing else touched.
DCB Expected(const DCB& reported) {
  DCB d = reported;
  d.DCBlength = 28, d.BaudRate = 9600, d.ByteSize = 8, d.Parity = NOPARITY, d.StopBits = ONESTOPBIT;
  d.fBinary = 1, d.fParity = 1, d.fOutxCtsFlow = 0, d.fOutxDsrFlow = 0;
  d.fDtrControl = DTR_CONTROL_ENABLE, d.fDsrSensitivity = 0, d.fTXContinueOnXoff = 0;
  d.fOutX = 0, d.fInX = 0, d.fErrorChar = 0, d.fNull = 0, d.fRtsControl = RTS_CONTROL_ENABLE;
  d.fAbortOnError = 0, d.XonLim = 2048, d.XoffLim = 512, d.XonChar = 0x11, d.XoffChar = 0x13;
  d.ErrorChar = 0, d.EofChar = 0, d.EvtChar = 0;
  return d;
}

void ExpectLineSettings(const DCB& reported, const DCB& applied) {
  const DCB expected = Expected(reported);
  const auto* want = reinterpret_cast<const unsigned char*>(&expected);
  const auto* got = reinterpret_cast<const unsigned char*>(&applied);
  for (std::size_t i = 0; i < sizeof(DCB); ++i) {
    EXPECT_EQ(int{got[i]}, int{want[i]}) << "byte " << i << " of the device control block";
  }
}

TEST(Win32SerialLine, EveryLineSettingIsAppliedAndTheRestKept) {
  // Every bit set and every byte different from what the line writes, so
  // that a member left alone or written into the wrong place shows.
  for (unsigned char fill : {0xFF, 0xA5, 0x5A}) {
    RecordingCommApi api;
    std::memset(&api.reported, fill, sizeof api.reported);
    Win32SerialLine line(api);
    ASSERT_TRUE(line.Open(3));
    ExpectLineSettings(api.reported, api.applied);
  }
}

TEST(Win32SerialLine, AFailedStateReadIsIgnored) {
  RecordingCommApi api;
  api.failing = "GetCommState";
  Win32SerialLine line(api);
  EXPECT_TRUE(line.Open(7));
  EXPECT_EQ(api.Take(), Joined({kOpenCom7, kConfigure}));
  ExpectLineSettings(api.reported, api.applied);
}

struct OpenFailure {
  const char* failing;
  bool opens;
  std::string calls;  // those of Open, and then those of Close
};

class Win32SerialLineOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(Win32SerialLineOpenFailure, HandleIsReleasedOnEveryWayOut) {
  const OpenFailure& c = GetParam();
  RecordingCommApi api;
  api.failing = c.failing;
  Win32SerialLine line(api);
  EXPECT_EQ(line.Open(7), c.opens);
  EXPECT_EQ(line.IsOpen(), c.opens);
  EXPECT_TRUE(line.Close());
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(api.Take(), c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Win32SerialLineOpenFailure,
    ::testing::Values(
        OpenFailure{"CreateFileA", false, kOpenCom7},
        OpenFailure{"SetupComm", false, Joined({kOpenCom7, "SetupComm(1200,1200);CloseHandle"})},
        OpenFailure{
            "SetCommState", false,
            Joined({kOpenCom7, "SetupComm(1200,1200);GetCommState;SetCommState;CloseHandle"})},
        // The purge is a courtesy; a port that refuses it is still usable.
        OpenFailure{"PurgeComm", true, Joined({kOpenCom7, kConfigure, kCloseCalls})}),
    [](const auto& info) { return std::string(info.param.failing); });

TEST(Win32SerialLine, SecondOpenLeavesThePortAlone) {
  RecordingCommApi api;
  Win32SerialLine line(api);
  ASSERT_TRUE(line.Open(7));
  api.Take();
  EXPECT_FALSE(line.Open(7));
  EXPECT_FALSE(line.Open(8));
  EXPECT_EQ(api.Take(), "");
  EXPECT_TRUE(line.IsOpen());
  api.modemStatus = MS_CTS_ON;
  EXPECT_EQ(line.ReadCts(), 1);  // still on the first handle, or it would be marked stray
  EXPECT_EQ(api.Take(), "GetCommModemStatus");
}

TEST(Win32SerialLine, DestructionClosesAnOpenLine) {
  RecordingCommApi api;
  {
    Win32SerialLine line(api);
    ASSERT_TRUE(line.Open(7));
    api.Take();
  }
  EXPECT_EQ(api.Take(), kCloseCalls);
  { Win32SerialLine never(api); }
  EXPECT_EQ(api.Take(), "");
}

TEST(Win32SerialLine, EachSwitchSendsItsEscapeAndPassesTheResultOn) {
  struct {
    bool (*call)(SerialLine&);
    const char* expected;
  } const cases[] = {
      {[](SerialLine& l) { return l.SetDtr(true); }, "EscapeCommFunction(5)"},
      {[](SerialLine& l) { return l.SetDtr(false); }, "EscapeCommFunction(6)"},
      {[](SerialLine& l) { return l.SetRts(true); }, "EscapeCommFunction(3)"},
      {[](SerialLine& l) { return l.SetRts(false); }, "EscapeCommFunction(4)"},
  };
  RecordingCommApi api;
  Win32SerialLine line(api);
  ASSERT_TRUE(line.Open(7));
  api.Take();
  for (const auto& c : cases) {
    for (bool portAccepts : {true, false}) {
      api.failing = portAccepts ? "" : "EscapeCommFunction";
      EXPECT_EQ(c.call(line), portAccepts) << c.expected;
      EXPECT_EQ(api.Take(), c.expected);
    }
  }
}

TEST(Win32SerialLine, CtsIsTheOnlyStatusBitThatCounts) {
  struct {
    bool readable;
    DWORD status;
    int cts;
  } const cases[] = {
      {true, 0, 0},
      {true, MS_CTS_ON, 1},
      {true, MS_DSR_ON, 0},
      {true, MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON, 1},
      {true, MS_DSR_ON | MS_RING_ON | MS_RLSD_ON, 0},
      {true, ~static_cast<DWORD>(MS_CTS_ON), 0},
      {false, MS_CTS_ON, -1},
  };
  RecordingCommApi api;
  Win32SerialLine line(api);
  ASSERT_TRUE(line.Open(7));
  for (const auto& c : cases) {
    api.modemStatus = c.status;
    api.failing = c.readable ? "" : "GetCommModemStatus";
    EXPECT_EQ(line.ReadCts(), c.cts) << std::hex << c.status << (c.readable ? "" : " unreadable");
  }
}

}  // namespace
}  // namespace vireo
