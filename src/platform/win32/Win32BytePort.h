// The receiver board's port through the Windows communications API: bytes
// read with a time-out, so that the reading thread can be stopped.
#pragma once

#include <windows.h>

#include "platform/BytePort.h"

namespace vireo {

class Win32BytePort final : public BytePort {
 public:
  Win32BytePort() = default;
  ~Win32BytePort() override { Close(); }
  Win32BytePort(const Win32BytePort&) = delete;
  Win32BytePort& operator=(const Win32BytePort&) = delete;

  bool Open(std::int32_t port, std::int32_t baud) override;
  int Read(std::uint8_t* buffer, int size, std::int32_t timeoutMs) override;
  bool Write(const std::uint8_t* data, int size) override;
  void Close() override;

 private:
  HANDLE port_ = INVALID_HANDLE_VALUE;
  DWORD timeoutMs_ = 0;  // the read time-out the port is set to
};

}  // namespace vireo
