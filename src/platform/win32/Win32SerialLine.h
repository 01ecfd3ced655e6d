// The receiver's serial port through the Windows communications API. Every
// call goes through a CommApi, the real one unless a test gives its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/SerialLine.h"
#include "platform/win32/CommApi.h"
#include "platform/win32/UniqueHandle.h"

namespace vireo {

class Win32SerialLine final : public SerialLine {
 public:
  // Line settings: fixed, since no data byte ever crosses the line; the port
  // only has to accept them to be opened.
  static constexpr DWORD kQueueSize = 1200;
  static constexpr DWORD kBaudRate = 9600;
  static constexpr BYTE kByteSize = 8;
  static constexpr BYTE kParity = NOPARITY;
  static constexpr BYTE kStopBits = ONESTOPBIT;

  explicit Win32SerialLine(CommApi& api = CommApi::Real());
  ~Win32SerialLine() override;

  bool Open(std::int32_t port) override;
  bool SetDtr(bool on) override;
  bool SetRts(bool on) override;
  int ReadCts() override;
  bool Close() override;
  bool IsOpen() const override { return port_.Valid(); }

 private:
  // Closes the port through the same CommApi that opened it.
  struct PortTraits {
    using Handle = HANDLE;
    CommApi* api = nullptr;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    void Close(HANDLE handle) const { api->CloseHandle(handle); }
  };
  using PortHandle = UniqueHandle<PortTraits>;

  CommApi& api_;
  // Holding a handle is what being open means.
  PortHandle port_;
};

}  // namespace vireo
