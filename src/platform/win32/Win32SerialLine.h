// The receiver's serial port through the Windows communications API. Every
// call goes through a CommApi, the real one unless a test gives its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "platform/SerialLine.h"
#include "platform/win32/CommApi.h"
#include "platform/win32/UniqueHandle.h"

namespace vireo {

// No flow control of any kind, so that CTS is a plain input, DTR and RTS
// are on (they power the receiver, and reset a board), eight data bits and
// no parity; the members not named keep what the driver reported.
void ApplyLineSettings(DCB& dcb, DWORD baudRate);

class Win32SerialLine final : public SerialLine {
 public:
  // Line settings: fixed, since no data byte ever crosses the line; the port
  // only has to accept them to be opened.
  static constexpr DWORD kQueueSize = 1200;
  static constexpr DWORD kBaudRate = 9600;
  static constexpr BYTE kByteSize = 8;
  static constexpr BYTE kParity = NOPARITY;
  static constexpr BYTE kStopBits = ONESTOPBIT;
  // How long a wait for an edge pauses instead when the port's wait fails,
  // so that the worker polls rather than spins.
  static constexpr DWORD kFailedWaitPauseMs = 1;

  explicit Win32SerialLine(CommApi& api = CommApi::Real());
  ~Win32SerialLine() override;

  bool Open(std::int32_t port) override;
  bool SetDtr(bool on) override;
  bool SetRts(bool on) override;
  int ReadCts() override;
  bool Close() override;
  bool IsOpen() const override { return port_.Valid(); }

  void WantEdgeWait(bool on) override;
  bool StartEdgeWait() override;
  bool WaitForEdge(std::int32_t timeoutMs) override;
  void InterruptWait() override;

 private:
  // Closes the port through the same CommApi that opened it.
  struct PortTraits {
    using Handle = HANDLE;
    CommApi* api = nullptr;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    void Close(HANDLE handle) const { api->CloseHandle(handle); }
  };
  using PortHandle = UniqueHandle<PortTraits>;
  // Events are closed the same way; a failed CreateEvent gives null.
  struct EventTraits : PortTraits {
    static HANDLE Invalid() { return nullptr; }
  };
  using EventHandle = UniqueHandle<EventTraits>;

  bool PauseAfterFailedWait();

  CommApi& api_;
  // Holding a handle is what being open means.
  PortHandle port_;

  bool edgeWaitWanted_ = false;
  bool openedOverlapped_ = false;
  bool edgeWaitStarted_ = false;
  int lastCts_ = -1;  // what ReadCts last reported
  // The driver writes into these two until the pending wait ends; they are
  // reused only after that, and Close sees it end.
  bool waitPending_ = false;
  OVERLAPPED waitIo_{};
  DWORD waitEvents_ = 0;
  // Both events are made when edge wait is first wanted and kept until the
  // line is destroyed, so that InterruptWait may signal from another thread
  // at any moment, also while the port closes. interrupt_ is the copy that
  // other threads read.
  EventHandle waitDone_;
  EventHandle interruptEvent_;
  std::atomic<HANDLE> interrupt_{nullptr};
};

}  // namespace vireo
