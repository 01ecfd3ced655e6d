// Reads what the USB receiver board sends (docs/usb-receiver-protocol.md):
// two-byte words of level durations, overflow marks and text lines. Fed the
// bytes as they arrive, in pieces of any size; it keeps no more than one open
// word and one line, allocates nothing and takes any input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vireo {

// The line the board sends at reset and when asked with a 'v'.
inline constexpr std::string_view kBoardHello = "VIREO-IR 1";
inline constexpr std::uint8_t kBoardHelloRequest = 'v';

class BoardStreamSink {
 public:
  virtual ~BoardStreamSink() = default;
  // One word of a level: `us` is 1..8191; with `continues` (always us 8191)
  // the level goes on and later words add to it.
  virtual void OnLevel(bool light, std::uint32_t us, bool continues) = 0;
  // Levels were lost, on the board or on the way: the next level starts
  // after a gap of unknown length.
  virtual void OnOverflow() = 0;
  // A text line without its '\n', cut to BoardStreamDecoder::kMaxLine.
  virtual void OnTextLine(std::string_view line) = 0;
};

class BoardStreamDecoder {
 public:
  static constexpr std::size_t kMaxLine = 32;
  static constexpr std::uint32_t kContinuedUs = 8191;

  void Feed(const std::uint8_t* data, std::size_t size, BoardStreamSink& sink);

 private:
  void Byte(std::uint8_t b, BoardStreamSink& sink);

  bool wordOpen_ = false;
  std::uint8_t first_ = 0;
  std::array<char, kMaxLine> line_{};
  std::size_t lineSize_ = 0;
};

}  // namespace vireo
