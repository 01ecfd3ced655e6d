#include "signal/BoardStream.h"

namespace vireo {

namespace {

constexpr std::uint8_t kWordStart = 0x80;
constexpr std::uint8_t kLight = 0x40;
constexpr std::uint8_t kHighBits = 0x3f;

}  // namespace

void BoardStreamDecoder::Feed(const std::uint8_t* data, std::size_t size, BoardStreamSink& sink) {
  for (std::size_t i = 0; i < size; ++i) Byte(data[i], sink);
}

void BoardStreamDecoder::Byte(std::uint8_t b, BoardStreamSink& sink) {
  if (b & kWordStart) {
    // The open word lost its second byte: its level is gone.
    if (wordOpen_) sink.OnOverflow();
    wordOpen_ = true;
    first_ = b;
    // The board never breaks a line with a word, so text before one is a
    // line begun before the port was opened, or another device's.
    lineSize_ = 0;
    return;
  }
  if (wordOpen_) {
    wordOpen_ = false;
    const std::uint32_t us = static_cast<std::uint32_t>(first_ & kHighBits) << 7 | b;
    // d = 0 is the overflow mark; with the light bit it is reserved, and read the same.
    if (us == 0) {
      sink.OnOverflow();
    } else {
      sink.OnLevel((first_ & kLight) != 0, us, us == kContinuedUs);
    }
    return;
  }
  if (b == '\n') {
    sink.OnTextLine(std::string_view(line_.data(), lineSize_));
    lineSize_ = 0;
  } else if (lineSize_ < kMaxLine) {
    line_[lineSize_++] = static_cast<char>(b);
  }
}

}  // namespace vireo
