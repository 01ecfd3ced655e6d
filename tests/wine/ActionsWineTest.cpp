// The window, program and volume actions on Windows (here Wine): messages
// reach another process's windows by title fragment or broadcast, the shell
// starts a real program or reports a missing one, and a machine without a
// sound device gives "ERROR", and the pointer goes to the corner.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "actions/ActionMessages.h"
#include "actions/MasterVolume.h"
#include "actions/WindowActions.h"
#include "actions/win32/Win32Desktop.h"
#include "actions/win32/Win32Volume.h"
#include "platform/win32/Cp1251.h"

namespace vireo {
namespace {

struct LogLines : LogListener {
  void OnLogLine(const std::string& line) override { lines.push_back(line); }
  std::vector<std::string> lines;
};

std::string BesideThisProgram(const std::string& name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string text = FromWide(path);
  return text.substr(0, text.find_last_of('\\') + 1) + name;
}

// Waits up to 20 s for a window of this title to come or go.
HWND AwaitWindow(const wchar_t* title, bool present) {
  for (int i = 0; i < 200; ++i) {
    HWND window = FindWindowW(nullptr, title);
    if ((window != nullptr) == present) return window;
    Sleep(100);
  }
  return nullptr;
}

// Wine makes windows only on a display: scripts/test.sh gives the Windows
// tests a virtual one; without it these tests are skipped.
TEST(Win32Actions, MessagesReachTheMatchingWindowsOfAnotherProcess) {
  HWND probe =
      CreateWindowExW(0, L"STATIC", L"probe", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (probe == nullptr) GTEST_SKIP() << "no display for windows";
  DestroyWindow(probe);
  LogSink log;
  LogLines seen;
  log.SetListener(&seen);
  Win32Desktop desktop;
  WindowActions actions(desktop, log);
  const std::string record = BesideThisProgram("window-target-record.txt");
  DeleteFileW(ToWide(record).c_str());

  actions.LaunchProgram(BesideThisProgram("window_target.exe"), "", record);
  EXPECT_TRUE(seen.lines.empty());
  for (int i = 0; i < 200 && GetFileAttributesW(ToWide(record).c_str()) == INVALID_FILE_ATTRIBUTES;
       ++i) {
    Sleep(100);
  }
  ASSERT_NE(GetFileAttributesW(ToWide(record).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the shell did not start the target";
  HWND target = AwaitWindow(L"Ёлка", true);
  ASSERT_NE(target, nullptr) << "the target made no windows";

  actions.PostToWindows("блокнот", {kWmKeyDown, 0x20, 1});
  actions.PostToWindows("NOTEPAD", {kWmCommand, 5, -1});
  actions.PostToWindows("ёЛ", {kWmClose, 0, 0});
  actions.PostToWindows("", {kWmSysCommand, 0xF060, 2});
  PostMessageW(target, WM_APP, 0, 0);
  ASSERT_EQ(AwaitWindow(L"Ёлка", false), nullptr);
  log.SetListener(nullptr);

  EXPECT_EQ(seen.lines, (std::vector<std::string>{"Послано БЕЗЫМЯННЫЙ - БЛОКНОТ ",
                                                  "Послано UNTITLED - NOTEPAD ", "Послано ЁЛКА ",
                                                  msg::kBroadcast}));
  std::ifstream in(record);
  std::vector<std::string> got;
  for (std::string line; std::getline(in, line);) got.push_back(line);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::string>{"0 273 5 -1", "0 274 61536 2", "1 256 32 1",
                                           "1 274 61536 2", "2 16 0 0", "2 274 61536 2"}));
}

TEST(Win32Actions, MissingProgramWritesTheFourLines) {
  LogSink log;
  LogLines seen;
  log.SetListener(&seen);
  Win32Desktop desktop;
  WindowActions(desktop, log).LaunchProgram("C:\\нет\\missing.exe", "", "-x");
  log.SetListener(nullptr);
  EXPECT_EQ(seen.lines, (std::vector<std::string>{"Ошибка запуска", "Файл: C:\\нет\\missing.exe",
                                                  "Рабочая директория: ", "Параметры: -x"}));
}

TEST(Win32Actions, NoSoundDeviceGivesError) {
  Win32MasterVolume source;
  MasterVolume volume(source);
  EXPECT_EQ(MasterVolume::VolumeCaption(volume.VolumeUp(), '+'), "ERROR");
  EXPECT_EQ(MasterVolume::VolumeCaption(volume.VolumeDown(), '-'), "ERROR");
}

// Wine moves the pointer only for a process with a window in the foreground.
TEST(Win32Actions, PointerGoesToTheBottomRightCorner) {
  HWND window = CreateWindowExW(0, L"STATIC", L"pointer", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) GTEST_SKIP() << "no display for windows";
  SetForegroundWindow(window);
  SetCursorPos(50, 50);
  LogSink log;
  Win32Desktop desktop;
  WindowActions(desktop, log).HidePointer();
  POINT at{};
  GetCursorPos(&at);
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  DestroyWindow(window);
  // Windows keeps the pointer on the screen: its last pixel.
  EXPECT_EQ(at.x, screen.right - 1);
  EXPECT_EQ(at.y, screen.bottom - 1);
}

TEST(Win32Actions, TextsCrossTheWideCallsUnchanged) {
  const std::string all = "Abc \xC0\xDF\xE0\xFF\xA8\xB8\xB9";
  EXPECT_EQ(ToWide(all), L"Abc АЯаяЁё№");
  EXPECT_EQ(FromWide(ToWide(all)), all);
}

}  // namespace
}  // namespace vireo
