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

#include "avr_ioport.h"
#include "avr_uart.h"
#include "platform/sim/Recording.h"
#include "sim_avr.h"
#include "sim_elf.h"

namespace {

constexpr std::uint64_t kCyclesPerUs = 16;
constexpr std::uint64_t kByteUs = 40;  // ten bits at 250000 baud

avr_t* avr = nullptr;
int firstByte = -1;  // of the word under way

void OnByte(avr_irq_t*, std::uint32_t value, void*) {
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

bool RunUntil(std::uint64_t cycle) {
  while (avr->cycle < cycle) {
    const int state = avr_run(avr);
    if (state == cpu_Done || state == cpu_Crashed) return false;
  }
  return true;
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
  elf_firmware_t firmware{};
  if (elf_read_firmware(argv[1], &firmware) != 0) return 1;
  avr = avr_make_mcu_by_name("atmega328p");
  if (avr == nullptr) return 1;
  avr_init(avr);
  avr->log = LOG_NONE;
  firmware.frequency = 16000000;
  avr_load_firmware(avr, &firmware);
  std::uint32_t flags = 0;  // no echo to the terminal
  avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
  avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT), OnByte,
                          nullptr);
  avr_irq_t* pin = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 0);
  avr_raise_irq(pin, 1);  // the module's output is high on a dark line
  std::uint64_t us = 0;
  for (const vireo::sim::Segment& s : signal) {
    avr_raise_irq(pin, s.level);
    us += s.durationUs;
    if (!RunUntil(us * kCyclesPerUs)) return 1;
  }
  avr_terminate(avr);
  return 0;
}
