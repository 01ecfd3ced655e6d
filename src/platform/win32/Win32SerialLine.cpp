#include "platform/win32/Win32SerialLine.h"

#include <cstdio>
#include <utility>

namespace vireo {
namespace {

// The block the port is configured with is declared as 28 bytes long; it
// has that size on 32- and 64-bit Windows alike.
static_assert(sizeof(DCB) == 28);

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// No flow control of any kind, so that CTS is a plain input; the members
// not named here keep what the driver reported.
void ApplyLineSettings(DCB& dcb) {
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = Win32SerialLine::kBaudRate;
  dcb.ByteSize = Win32SerialLine::kByteSize;
  dcb.Parity = Win32SerialLine::kParity;
  dcb.StopBits = Win32SerialLine::kStopBits;
  dcb.fBinary = 1;
  dcb.fParity = 1;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = 0;
  dcb.fTXContinueOnXoff = 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fErrorChar = 0;
  dcb.fNull = 0;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = 0;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.ErrorChar = 0;
  dcb.EofChar = 0;
  dcb.EvtChar = 0;
}

}  // namespace

Win32SerialLine::Win32SerialLine(CommApi& api) : api_(api) {}

Win32SerialLine::~Win32SerialLine() { Close(); }

bool Win32SerialLine::Open(std::int32_t port) {
  if (IsOpen()) return false;

  // The \\.\ prefix is what lets ports above COM9 be opened.
  char name[32];
  std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(port));
  PortHandle handle(
      api_.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      PortTraits{&api_});
  if (!handle) return false;
  if (!api_.SetupComm(handle.Get(), kQueueSize, kQueueSize)) return false;

  DCB dcb{};
  // A port that cannot report its state may still accept a new one.
  api_.GetCommState(handle.Get(), &dcb);
  ApplyLineSettings(dcb);
  if (!api_.SetCommState(handle.Get(), &dcb)) return false;

  api_.PurgeComm(handle.Get(), kPurgeAll);
  port_ = std::move(handle);
  return true;
}

bool Win32SerialLine::SetDtr(bool on) {
  return api_.EscapeCommFunction(port_.Get(), on ? SETDTR : CLRDTR) != 0;
}

bool Win32SerialLine::SetRts(bool on) {
  return api_.EscapeCommFunction(port_.Get(), on ? SETRTS : CLRRTS) != 0;
}

int Win32SerialLine::ReadCts() {
  DWORD status = 0;
  if (!api_.GetCommModemStatus(port_.Get(), &status)) return -1;
  return (status & MS_CTS_ON) != 0 ? 1 : 0;
}

bool Win32SerialLine::Close() {
  if (!IsOpen()) return true;
  // Taking the handle out marks the line closed before the port is touched.
  PortHandle handle = std::move(port_);
  api_.EscapeCommFunction(handle.Get(), CLRDTR);
  api_.PurgeComm(handle.Get(), kPurgeAll);
  return true;
}

}  // namespace vireo
