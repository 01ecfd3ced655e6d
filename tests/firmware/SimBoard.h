// The USB receiver board's firmware running in simavr: an ATmega328P at
// 16 MHz, the module's output on PB0 (D8), and every byte its UART sends
// handed to a callback. Shared by the firmware's test and the stream recorder.
#pragma once

#include <cstdint>

#include "avr_ioport.h"
#include "avr_uart.h"
#include "sim_avr.h"
#include "sim_elf.h"

namespace vireo::test {

inline constexpr std::uint64_t kCyclesPerUs = 16;

struct SimBoard {
  using OnByte = void (*)(avr_irq_t*, std::uint32_t byte, void* param);

  // Loads the firmware; avr stays null when it cannot. The line starts dark.
  SimBoard(const char* elf, OnByte onByte, void* param) {
    elf_firmware_t firmware{};
    if (elf_read_firmware(elf, &firmware) != 0) return;
    avr = avr_make_mcu_by_name("atmega328p");
    if (avr == nullptr) return;
    avr_init(avr);
    avr->log = LOG_NONE;
    firmware.frequency = 16000000;
    avr_load_firmware(avr, &firmware);
    std::uint32_t flags = 0;  // no echo, no host sleep while the firmware polls
    avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    avr_irq_register_notify(Uart(UART_IRQ_OUTPUT), onByte, param);
    SetLight(false);
  }
  ~SimBoard() {
    if (avr) avr_terminate(avr);
  }
  SimBoard(const SimBoard&) = delete;
  SimBoard& operator=(const SimBoard&) = delete;

  avr_irq_t* Uart(int irq) { return avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), irq); }
  // The module's output is low while it sees infrared light.
  void SetLight(bool light) {
    avr_raise_irq(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 0), !light);
  }
  // False when the firmware stopped or crashed first.
  bool RunUntil(std::uint64_t cycle) {
    while (avr->cycle < cycle) {
      const int state = avr_run(avr);
      if (state == cpu_Done || state == cpu_Crashed) return false;
    }
    return true;
  }

  avr_t* avr = nullptr;
};

}  // namespace vireo::test
