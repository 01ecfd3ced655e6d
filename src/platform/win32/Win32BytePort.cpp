#include "platform/win32/Win32BytePort.h"

#include <algorithm>
#include <string>

#include "platform/win32/Win32SerialLine.h"

namespace vireo {

bool Win32BytePort::Open(std::int32_t port, std::int32_t baud) {
  if (port_ != INVALID_HANDLE_VALUE) return false;
  // The \\.\ prefix is what lets ports above COM9 be opened.
  const std::wstring name = L"\\\\.\\COM" + std::to_wstring(port);
  HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ::GetCommState(handle, &dcb);
  // DTR rising resets an Arduino-kind board, which then says who it is.
  ApplyLineSettings(dcb, static_cast<DWORD>(baud));
  if (!::SetupComm(handle, 4096, 64) || !::SetCommState(handle, &dcb)) {
    ::CloseHandle(handle);
    return false;
  }
  ::PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
  port_ = handle;
  timeoutMs_ = 0;
  return true;
}

int Win32BytePort::Read(std::uint8_t* buffer, int size, std::int32_t timeoutMs) {
  if (port_ == INVALID_HANDLE_VALUE) return -1;
  const DWORD wanted = timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 1;
  if (wanted != timeoutMs_) {
    // Returns as soon as any byte is in, or after the time-out with none.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = wanted;
    timeouts.WriteTotalTimeoutConstant = 100;
    if (!::SetCommTimeouts(port_, &timeouts)) return -1;
    timeoutMs_ = wanted;
  }
  // Windows ends such a read at the first byte; Wine reads on until the
  // time-out unless the buffer fills, which would hold the board's words
  // back past the replay's delay. So the read asks for the bytes already
  // in, or else for one, and both end as soon as they have them.
  DWORD errors = 0;
  COMSTAT status{};
  if (!::ClearCommError(port_, &errors, &status)) return -1;
  DWORD got = 0;
  if (status.cbInQue == 0) {
    if (!::ReadFile(port_, buffer, 1, &got, nullptr)) return -1;
    if (got == 0 || !::ClearCommError(port_, &errors, &status)) return static_cast<int>(got);
  }
  DWORD more = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(size) - got);
  if (more > 0 && !::ReadFile(port_, buffer + got, more, &more, nullptr)) return -1;
  return static_cast<int>(got + more);
}

bool Win32BytePort::Write(const std::uint8_t* data, int size) {
  DWORD written = 0;
  return port_ != INVALID_HANDLE_VALUE &&
         ::WriteFile(port_, data, static_cast<DWORD>(size), &written, nullptr) &&
         written == static_cast<DWORD>(size);
}

void Win32BytePort::Close() {
  if (port_ == INVALID_HANDLE_VALUE) return;
  ::CloseHandle(port_);
  port_ = INVALID_HANDLE_VALUE;
}

}  // namespace vireo
