// The serial port that carries the infrared receiver: DTR and RTS power it,
// its output is read on CTS. No data byte is ever sent or received; a
// receiver board that sends its signal as data is read through a line of its
// own that shows the signal as CTS.
#pragma once

#include <cstdint>
#include <string>

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

  // A receiver board on the port (a line that reads its stream): what it
  // answered when Open asked, empty when nothing did. Empty for the CTS line.
  virtual std::string BoardAnswer() const { return {}; }
  // The board's stream stopped; the line reads as quiet from then on.
  virtual bool StreamLost() const { return false; }
  // How many times the board lost levels since the last call.
  virtual int TakeOverflows() { return 0; }
};

}  // namespace vireo
