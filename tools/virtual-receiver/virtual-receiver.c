// The virtual infrared receiver: an LD_PRELOAD library for the Wine
// processes that gives a pseudo-terminal the modem lines of a serial port
// with Vireo's receiver on it, so that the real, unchanged vireo.exe can be
// run without hardware. It answers the modem-line requests for
// pseudo-terminals only; every other ioctl goes to the real call.
//   VIRTUAL_RECEIVER_RECORDING  a LIRC mode2 text (pulse = infrared burst,
//       CTS off; space and timeout = CTS on), read afresh each time DTR is
//       switched on. It plays in real time from LEAD ms after that moment;
//       CTS is on before and after it. A line "loop" plays it over and over;
//       a line "absent" means no receiver: CTS stays off.
//   VIRTUAL_RECEIVER_FOLLOW     if set, a recording file replaced while DTR
//       is on is read again and played at once: a test presses buttons when
//       it wants them (replace the file whole, by a rename)
//   VIRTUAL_RECEIVER_LEAD_MS    the pause before the recording, default 1000
//   VIRTUAL_RECEIVER_SLOWER     plays the recording this many times slower,
//       default 1: on a busy machine the sampling thread is now and then held
//       for milliseconds, which garbles a code played at its real speed; a
//       VIREO.INI with its times scaled alike reads the same codes
//   VIRTUAL_RECEIVER_LOG        if set, every change of DTR or RTS is
//       appended as "SECONDS.MILLIS DTR on|off" (monotonic clock); when DTR
//       goes off, also how often CTS was read while the recording played
//       and the longest gap between two reads, which tells a garbled code
//       caused by a busy machine from one caused by the program
// Wine 8 waits for a modem-line change (WaitCommEvent) in a thread of its
// own that reads TIOCMGET about every millisecond while the program's
// threads read it too, so every request is answered under one lock. That
// poll is all Wine needs: it never asks for TIOCMIWAIT, and the TIOCGICOUNT
// counts it also reads are of errors and breaks only; a pseudo-terminal
// refuses the request and Wine takes that as none.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

enum { kMaxSegments = 1 << 16 };

// The recording as the end times of its segments, in microseconds from its
// start, with the level of each.
static long long segment_end[kMaxSegments];
static char segment_cts[kMaxSegments];
static int segment_count = 0;
static int looping = 0;
static int absent = 0;
static long long lead_us = 1000000;
static long long dtr_on_at = -1;  // microseconds, monotonic; -1 while DTR is off
static int cursor = 0;
static int output_bits = 0;
static int following = 0;
static long long loaded_mtime = -1, last_look = -1;
static long long polls = 0, last_poll = -1, longest_gap = 0;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

// Unix98 pty slaves have majors 136 to 143.
static int IsPtySlave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  unsigned major_number = major(st.st_rdev);
  return major_number >= 136 && major_number <= 143;
}

static long long NowUs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

static void LoadRecording(void) {
  segment_count = 0;
  looping = 0;
  absent = 0;
  cursor = 0;
  const char* lead = getenv("VIRTUAL_RECEIVER_LEAD_MS");
  if (lead != NULL) lead_us = atoll(lead) * 1000;
  const char* slower = getenv("VIRTUAL_RECEIVER_SLOWER");
  const long long factor = slower != NULL && atoll(slower) > 0 ? atoll(slower) : 1;
  const char* name = getenv("VIRTUAL_RECEIVER_RECORDING");
  following = getenv("VIRTUAL_RECEIVER_FOLLOW") != NULL;
  FILE* f = name != NULL ? fopen(name, "re") : NULL;
  if (f == NULL) return;
  struct stat st;
  loaded_mtime = fstat(fileno(f), &st) == 0
                     ? (long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec
                     : -1;
  char line[256];
  long long end = 0;
  while (fgets(line, sizeof line, f) != NULL && segment_count < kMaxSegments) {
    char word[32];
    long long us;
    if (strncmp(line, "loop", 4) == 0) looping = 1;
    if (strncmp(line, "absent", 6) == 0) absent = 1;
    if (sscanf(line, "%31s %lld", word, &us) != 2 || us <= 0) continue;
    int cts = strcmp(word, "pulse") == 0 ? 0 : 1;
    if (cts == 1 && strcmp(word, "space") != 0 && strcmp(word, "timeout") != 0) continue;
    end += us * factor;
    segment_end[segment_count] = end;
    segment_cts[segment_count++] = (char)cts;
  }
  fclose(f);
}

// Every 20 ms at most, so that the polls stay cheap.
static void FollowRecording(void) {
  if (!following || dtr_on_at < 0) return;
  const long long now = NowUs();
  if (now - last_look < 20000) return;
  last_look = now;
  const char* name = getenv("VIRTUAL_RECEIVER_RECORDING");
  struct stat st;
  if (name == NULL || stat(name, &st) != 0) return;
  if ((long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec == loaded_mtime) return;
  LoadRecording();
  dtr_on_at = now - lead_us;
  last_poll = -1;
}

static int Cts(void) {
  FollowRecording();
  if (absent) return 0;
  if (dtr_on_at < 0 || segment_count == 0) return 1;
  long long t = NowUs() - dtr_on_at - lead_us;
  if (t < 0) return 1;
  const long long now = t;
  if (last_poll >= 0 && now - last_poll > longest_gap) longest_gap = now - last_poll;
  last_poll = now;
  ++polls;
  const long long length = segment_end[segment_count - 1];
  if (t >= length) {
    if (!looping) return 1;
    t %= length;
  }
  // Time only moves on, so the search starts where the last one ended,
  // except when a loop has begun again.
  if (cursor > 0 && segment_end[cursor - 1] > t) cursor = 0;
  while (segment_end[cursor] <= t) ++cursor;
  return segment_cts[cursor];
}

static void Report(const char* line) {
  const char* name = getenv("VIRTUAL_RECEIVER_LOG");
  if (name == NULL) return;
  FILE* f = fopen(name, "ae");
  if (f == NULL) return;
  long long now = NowUs();
  fprintf(f, "%lld.%03lld %s\n", now / 1000000, now / 1000 % 1000, line);
  fclose(f);
}

static void SetOutputs(int bits) {
  bits &= TIOCM_DTR | TIOCM_RTS;
  int changed = bits ^ output_bits;
  output_bits = bits;
  if (changed & TIOCM_DTR) {
    Report(bits & TIOCM_DTR ? "DTR on" : "DTR off");
    if (bits & TIOCM_DTR) {
      LoadRecording();
      dtr_on_at = NowUs();
    } else {
      dtr_on_at = -1;
      char line[96];
      snprintf(line, sizeof line, "CTS read %lld times, longest gap %lld us", polls, longest_gap);
      Report(line);
      polls = 0;
      last_poll = -1;
      longest_gap = 0;
    }
  }
  if (changed & TIOCM_RTS) Report(bits & TIOCM_RTS ? "RTS on" : "RTS off");
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
  pthread_mutex_lock(&lock);
  switch (request) {
    case TIOCMGET:
      *bits = output_bits | (Cts() ? TIOCM_CTS : 0);
      break;
    case TIOCMBIS:
      SetOutputs(output_bits | *bits);
      break;
    case TIOCMBIC:
      SetOutputs(output_bits & ~*bits);
      break;
    case TIOCMSET:
      SetOutputs(*bits);
      break;
  }
  pthread_mutex_unlock(&lock);
  return 0;
}
