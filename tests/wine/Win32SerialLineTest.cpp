// The serial line against a stand-in for the communications API: the exact
// arguments, the device control block, the order of the calls and the
// release of the handle on every way out.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32SerialLine.h"
#include "support/CaseFile.h"

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
    Record("CloseHandle", handle == port ? "" : Name(handle), port);
    return TRUE;
  }

  // Events are handed out as e1, e2, ... and are set or not; the one
  // overlapped wait ends when CTS changes or on a new mask.
  std::vector<int> set;
  OVERLAPPED* pending = nullptr;
  void SetStatus(DWORD status) {
    if ((status ^ std::exchange(modemStatus, status)) & MS_CTS_ON) EndWait();
  }
  HANDLE CreateEventA(SECURITY_ATTRIBUTES*, BOOL manual, BOOL, const char*) override {
    Record("CreateEventA", manual ? "manual" : "auto", port);
    set.push_back(0);
    return reinterpret_cast<HANDLE>(0xE0 + set.size());
  }
  BOOL SetEvent(HANDLE event) override {
    return Record("SetEvent", Name(event), port), State(event) = 1;
  }
  DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL, DWORD ms) override {
    std::string args;
    for (DWORD i = 0; i < count; ++i) args += Name(objects[i]) + ",";
    Record("WaitForMultipleObjects", args + std::to_string(ms), port);
    for (DWORD i = 0; i < count; ++i) {
      if (std::exchange(State(objects[i]), 0)) return WAIT_OBJECT_0 + i;
    }
    return WAIT_TIMEOUT;
  }
  BOOL SetCommMask(HANDLE handle, DWORD mask) override {
    return Record("SetCommMask", Hex(mask), handle), !Fails("SetCommMask") && EndWait();
  }
  BOOL WaitCommEvent(HANDLE handle, DWORD*, OVERLAPPED* overlapped) override {
    Record("WaitCommEvent", Name(overlapped->hEvent), handle);
    if (!Fails("WaitCommEvent")) pending = overlapped, State(overlapped->hEvent) = 0;
    ::SetLastError(Fails("WaitCommEvent") ? ERROR_INVALID_PARAMETER : ERROR_IO_PENDING);
    return FALSE;
  }
  BOOL GetOverlappedResult(HANDLE handle, OVERLAPPED* overlapped, DWORD*, BOOL wait) override {
    return Record("GetOverlappedResult", wait ? "wait" : "", handle), overlapped != pending;
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
  std::size_t Index(HANDLE event) const { return reinterpret_cast<std::uintptr_t>(event) - 0xE1; }
  int& State(HANDLE event) { return set.at(Index(event)); }
  std::string Name(HANDLE event) const {
    return Index(event) < set.size() ? "e" + std::to_string(Index(event) + 1) : "stray";
  }
  bool EndWait() { return !pending || (State(std::exchange(pending, nullptr)->hEvent) = 1); }
  void Record(const char* name, const std::string& args, HANDLE handle) {
    if (!calls.empty()) calls += ";";
    calls += name;
    if (!args.empty()) calls += "(" + args + ")";
    if (handle != port) calls += "@stray";
  }
};

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
  // A port whose state cannot be read still gets every setting.
  RecordingCommApi api;
  api.failing = "GetCommState";
  Win32SerialLine line(api);
  EXPECT_TRUE(line.Open(7));
  ExpectLineSettings(api.reported, api.applied);
}

// Runs a session of "> command" lines against a line on the stand-in, and
// writes each command with its result and the calls it made ("-": none).
std::string RunSession(const std::string& script) {
  RecordingCommApi api;
  auto line = std::make_unique<Win32SerialLine>(api);
  std::string transcript;
  for (const std::string& text : test::Lines(script)) {
    if (text.rfind("#", 0) == 0) transcript += text + "\n";
    if (text.rfind("> ", 0) != 0) continue;
    std::istringstream in(text.substr(2));
    std::string command, arg;
    in >> command >> arg;
    const bool on = arg == "1";
    long result = 0;
    if (command == "fail") {
      api.failing = arg == "-" ? "" : arg;
    } else if (command == "status") {
      api.SetStatus(std::stoul(arg, nullptr, 16));
    } else if (command == "new") {
      line = std::make_unique<Win32SerialLine>(api);
    } else {
      result = command == "open"    ? line->Open(std::stoi(arg))
               : command == "close" ? line->Close()
               : command == "dtr"   ? line->SetDtr(on)
               : command == "rts"   ? line->SetRts(on)
               : command == "cts"   ? line->ReadCts()
               : command == "want"  ? (line->WantEdgeWait(on), 0)
               : command == "arm"   ? line->StartEdgeWait()
               : command == "wait"  ? line->WaitForEdge(std::stoi(arg))
               : command == "stop"  ? (line->InterruptWait(), 0)
                                    : -99;
    }
    const std::string calls = api.Take();
    transcript += text + "\n";
    if (command != "fail" && command != "status") {
      transcript += std::to_string(result) + (line->IsOpen() ? " open " : " closed ") +
                    (calls.empty() ? "-" : calls) + "\n";
    }
  }
  return transcript;
}

class Session : public ::testing::TestWithParam<test::Case> {};

TEST_P(Session, CallsResultsAndTheHandleOnEveryWayOut) {
  EXPECT_EQ(RunSession(GetParam()["session"]), GetParam()["session"]);
}

INSTANTIATE_TEST_SUITE_P(Data, Session,
                         ::testing::ValuesIn(test::ReadCases("wine/serial-line.cases")),
                         VIREO_CASE_NAME);

}  // namespace
}  // namespace vireo
