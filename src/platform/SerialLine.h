// The serial port that carries the infrared receiver: DTR and RTS power it,
// its output is read on CTS. No data byte is ever sent or received.
#pragma once

#include <cstdint>

namespace vireo {

class SerialLine {
 public:
  virtual ~SerialLine() = default;

  // Opens port n (\\.\COMn) with its fixed line settings; false when it is
  // already open or cannot be opened and configured.
  virtual bool Open(std::int32_t port) = 0;
  virtual bool SetDtr(bool on) = 0;
  virtual bool SetRts(bool on) = 0;
  // 1 when CTS is on, 0 when off, -1 when the status cannot be read.
  virtual int ReadCts() = 0;
  // DTR off, buffers purged, handle closed; always true.
  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;

  // Waiting for CTS to change instead of polling the quiet line. Asked for
  // before Open, since the port must be opened for it (overlapped, on
  // Windows), and armed once open; StartEdgeWait is false when the port
  // cannot report changes of CTS. A line without it keeps these defaults.
  virtual void WantEdgeWait(bool on) { (void)on; }
  virtual bool StartEdgeWait() { return false; }
  // Blocks until CTS may have changed (true), or until timeoutMs have passed
  // or InterruptWait was called (false). A true result may come without a
  // change: the caller reads CTS again.
  virtual bool WaitForEdge(std::int32_t timeoutMs) {
    (void)timeoutMs;
    return false;
  }
  // Any thread: ends the pending wait, or the next one, at once.
  virtual void InterruptWait() {}
};

}  // namespace vireo
