// A serial port that carries data bytes: the receiver board's stream. Only
// the board's line uses it; the CTS receiver needs no data.
#pragma once

#include <cstdint>

namespace vireo {

class BytePort {
 public:
  virtual ~BytePort() = default;

  // Opens port n (\\.\COMn) at `baud`, 8 data bits, no parity, one stop bit,
  // DTR and RTS on; false when it cannot be opened or set.
  virtual bool Open(std::int32_t port, std::int32_t baud) = 0;
  // Waits up to timeoutMs for bytes: how many it read (0 when none came), or
  // -1 when the port failed (a board pulled out).
  virtual int Read(std::uint8_t* buffer, int size, std::int32_t timeoutMs) = 0;
  virtual bool Write(const std::uint8_t* data, int size) = 0;
  virtual void Close() = 0;
};

}  // namespace vireo
