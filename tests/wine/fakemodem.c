// LD_PRELOAD shim that gives pseudo-terminals the modem lines they lack, so
// that the serial line can be tested under Wine without a serial port.
//   FAKEMODEM_FILE  the input lines: a text holding any of CTS, DSR, RI, CD;
//                   read afresh at every status query.
//   FAKEMODEM_OUT   if set, rewritten with the output lines ("DTR RTS", one
//                   word each, or an empty line) after every change of them.
// Other ioctls, and every ioctl on other files, go to the real call.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Unix98 pty slaves have majors 136 to 143.
static int IsPtySlave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  unsigned major_number = major(st.st_rdev);
  return major_number >= 136 && major_number <= 143;
}

static int output_bits = 0;

static int ReadInputBits(void) {
  const char* name = getenv("FAKEMODEM_FILE");
  if (name == NULL) return 0;
  char text[64] = {0};
  int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  text[n > 0 ? n : 0] = 0;
  int bits = 0;
  if (strstr(text, "CTS")) bits |= TIOCM_CTS;
  if (strstr(text, "DSR")) bits |= TIOCM_DSR;
  if (strstr(text, "RI")) bits |= TIOCM_RI;
  if (strstr(text, "CD")) bits |= TIOCM_CD;
  return bits;
}

static void WriteOutputBits(void) {
  const char* name = getenv("FAKEMODEM_OUT");
  if (name == NULL) return;
  char text[16];
  int n = snprintf(text, sizeof text, "%s%s%s\n", (output_bits & TIOCM_DTR) ? "DTR" : "",
                   (output_bits & TIOCM_DTR) && (output_bits & TIOCM_RTS) ? " " : "",
                   (output_bits & TIOCM_RTS) ? "RTS" : "");
  int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, text, (size_t)n) != n) {
    // Nothing to do: the test that reads the file will notice.
  }
  close(fd);
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real_ioctl)(int, unsigned long, ...);
  va_list args;
  va_start(args, request);
  void* argument = va_arg(args, void*);
  va_end(args);
  if (real_ioctl == NULL) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

  int is_modem_request =
      request == TIOCMGET || request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET;
  if (!is_modem_request || !IsPtySlave(fd)) return real_ioctl(fd, request, argument);

  int* bits = (int*)argument;
  switch (request) {
    case TIOCMGET:
      *bits = output_bits | ReadInputBits();
      return 0;
    case TIOCMBIS:
      output_bits |= *bits & (TIOCM_DTR | TIOCM_RTS);
      break;
    case TIOCMBIC:
      output_bits &= ~*bits;
      break;
    case TIOCMSET:
      output_bits = *bits & (TIOCM_DTR | TIOCM_RTS);
      break;
  }
  WriteOutputBits();
  return 0;
}
