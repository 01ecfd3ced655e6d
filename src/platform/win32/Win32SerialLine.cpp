#include "platform/win32/Win32SerialLine.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vireo {
namespace {

// The block the port is configured with is declared as 28 bytes long; it
// has that size on 32- and 64-bit Windows alike.
static_assert(sizeof(DCB) == 28);

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

}  // namespace

void ApplyLineSettings(DCB& dcb, DWORD baudRate) {
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = baudRate;
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

Win32SerialLine::Win32SerialLine(CommApi& api) : api_(api) {}

Win32SerialLine::~Win32SerialLine() { Close(); }

bool Win32SerialLine::Open(std::int32_t port) {
  if (IsOpen()) return false;

  // The \\.\ prefix is what lets ports above COM9 be opened.
  char name[32];
  std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(port));
  // Only a port opened overlapped can wait for an edge while CTS is read.
  const DWORD flags = edgeWaitWanted_ ? FILE_FLAG_OVERLAPPED : 0;
  PortHandle handle(api_.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     flags, nullptr),
                    PortTraits{&api_});
  if (!handle) return false;
  if (!api_.SetupComm(handle.Get(), kQueueSize, kQueueSize)) return false;

  DCB dcb{};
  // A port that cannot report its state may still accept a new one.
  api_.GetCommState(handle.Get(), &dcb);
  ApplyLineSettings(dcb, kBaudRate);
  if (!api_.SetCommState(handle.Get(), &dcb)) return false;

  api_.PurgeComm(handle.Get(), kPurgeAll);
  port_ = std::move(handle);
  openedOverlapped_ = flags != 0;
  lastCts_ = -1;
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
  if (!api_.GetCommModemStatus(port_.Get(), &status)) {
    lastCts_ = -1;
  } else {
    lastCts_ = (status & MS_CTS_ON) != 0 ? 1 : 0;
  }
  return lastCts_;
}

bool Win32SerialLine::Close() {
  if (!IsOpen()) return true;
  // Taking the handle out marks the line closed before the port is touched.
  PortHandle handle = std::move(port_);
  if (waitPending_) {
    // A changed mask ends the wait on every driver; cancelling it is the
    // fallback. Either way the wait has ended before waitIo_ may go.
    if (!api_.SetCommMask(handle.Get(), 0)) api_.CancelIo(handle.Get());
    DWORD size = 0;
    api_.GetOverlappedResult(handle.Get(), &waitIo_, &size, TRUE);
    waitPending_ = false;
  }
  edgeWaitStarted_ = false;
  api_.EscapeCommFunction(handle.Get(), CLRDTR);
  api_.PurgeComm(handle.Get(), kPurgeAll);
  return true;
}

void Win32SerialLine::WantEdgeWait(bool on) {
  edgeWaitWanted_ = on;
  if (!on) return;
  const EventTraits traits{{&api_}};
  if (!waitDone_) {
    waitDone_ = EventHandle(api_.CreateEventA(nullptr, TRUE, FALSE, nullptr), traits);
  }
  if (!interruptEvent_) {
    // Auto-reset: an interrupt ends one wait, the pending or the next.
    interruptEvent_ = EventHandle(api_.CreateEventA(nullptr, FALSE, FALSE, nullptr), traits);
    interrupt_.store(interruptEvent_.Get(), std::memory_order_release);
  }
}

bool Win32SerialLine::StartEdgeWait() {
  if (!IsOpen() || !openedOverlapped_ || !waitDone_ || !interruptEvent_) return false;
  edgeWaitStarted_ = api_.SetCommMask(port_.Get(), EV_CTS) != 0;
  return edgeWaitStarted_;
}

bool Win32SerialLine::WaitForEdge(std::int32_t timeoutMs) {
  if (!edgeWaitStarted_) return false;
  if (!waitPending_) {
    waitIo_ = OVERLAPPED{};
    waitIo_.hEvent = waitDone_.Get();
    waitEvents_ = 0;
    if (api_.WaitCommEvent(port_.Get(), &waitEvents_, &waitIo_)) return true;
    if (::GetLastError() != ERROR_IO_PENDING) return PauseAfterFailedWait();
    waitPending_ = true;
    // A driver may watch for changes only from the level it sees now (Wine
    // does, and keeps no history), so a change since the caller last read
    // CTS would wait for the next one.
    const int seen = lastCts_;
    if (ReadCts() != seen) return true;
  }
  const HANDLE wakers[] = {waitDone_.Get(), interruptEvent_.Get()};
  const DWORD timeout = static_cast<DWORD>(std::max(timeoutMs, std::int32_t{0}));
  switch (api_.WaitForMultipleObjects(2, wakers, FALSE, timeout)) {
    case WAIT_OBJECT_0:
      break;
    case WAIT_OBJECT_0 + 1:
    case WAIT_TIMEOUT:
      return false;
    default:
      return PauseAfterFailedWait();
  }
  DWORD size = 0;
  if (api_.GetOverlappedResult(port_.Get(), &waitIo_, &size, FALSE)) {
    waitPending_ = false;
    return true;
  }
  waitPending_ = ::GetLastError() == ERROR_IO_INCOMPLETE;
  return PauseAfterFailedWait();
}

bool Win32SerialLine::PauseAfterFailedWait() {
  const HANDLE interrupt = interruptEvent_.Get();
  return api_.WaitForMultipleObjects(1, &interrupt, FALSE, kFailedWaitPauseMs) != WAIT_OBJECT_0;
}

void Win32SerialLine::InterruptWait() {
  if (HANDLE event = interrupt_.load(std::memory_order_acquire)) api_.SetEvent(event);
}

}  // namespace vireo
