// Records what the USB receiver's firmware sends for a signal, for the
// virtual board (pty-holder.c) to play to vireo.exe: the firmware runs in
// simavr with PB0 played from a LIRC mode2 text (pulse = infrared light,
// the line dark before it), and each word it sends is printed as
// "TIME_US BYTE0 BYTE1" in hex, the time counted from the board's reset to
// when the word's last byte has left the UART. Text the board sends (its
// hello at reset) is left out.
//   vireo-board-recorder FIRMWARE_ELF < signal.mode2 > stream
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "SimBoard.h"
#include "platform/sim/Recording.h"

namespace {

using vireo::test::kCyclesPerUs;
constexpr std::uint64_t kByteUs = 40;  // ten bits at 250000 baud

int firstByte = -1;  // of the word under way

void OnByte(avr_irq_t*, std::uint32_t value, void* param) {
  const avr_t* avr = static_cast<vireo::test::SimBoard*>(param)->avr;
  const int byte = value & 0xff;
  if (byte & 0x80) {
    firstByte = byte;
  } else if (firstByte >= 0) {
    std::printf("%llu %02x %02x\n",
                static_cast<unsigned long long>(avr->cycle / kCyclesPerUs + kByteUs), firstByte,
                byte);
    firstByte = -1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FIRMWARE_ELF < signal.mode2 > stream\n", argv[0]);
    return 2;
  }
  const std::string text{std::istreambuf_iterator<char>(std::cin), {}};
  vireo::sim::Recording signal;
  std::string error;
  if (!vireo::sim::ParseMode2(text, signal, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  // simavr's own messages would go to standard output, among the words.
  avr_global_logger_set([](avr_t*, int, const char*, va_list) {});
  vireo::test::SimBoard board(argv[1], OnByte, &board);
  if (board.avr == nullptr) return 1;
  std::uint64_t us = 0;
  for (const vireo::sim::Segment& s : signal) {
    board.SetLight(s.level == 0);  // the module's output is high on a dark line
    us += s.durationUs;
    if (!board.RunUntil(us * kCyclesPerUs)) return 1;
  }
  return 0;
}
