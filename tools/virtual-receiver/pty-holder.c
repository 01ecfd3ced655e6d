// Holds a pseudo-terminal open for the serial-line test under Wine: prints
// the path of its slave side, then waits until it is killed. It ends with
// the process named on its command line (the test script), even when that
// one is killed, so that no holder outlives a test run.
//   pty-holder PARENT_PID [BOARD]
// With BOARD, a file, the holder is also the USB receiver board at the far
// end of the line (docs/usb-receiver-protocol.md), doing what the file's
// first line says; the file is read again whenever it changes (replace it
// whole, by a rename):
//   board [STREAM [loop]]  answers 'v' with the hello and plays STREAM from
//                          now (over and over with loop)
//   other                  another serial device: answers 'v' with "OK\r\n"
//   silent                 a board that has stopped: says nothing
// STREAM is the firmware's output recorded under simavr, lines "TIME_US
// BYTE0 BYTE1" (tools/virtual-receiver/board-recorder.cpp). Each word is
// sent at its time, so the level it ends has ended by then. Outside a
// stream the board is on a dark line and sends a continuation word every
// 8191 us, as the firmware does: a live quiet line keeps talking.
// The port's 250000 baud needs no help under Wine 8: for a rate termios
// lacks it asks for a custom divisor (TIOCGSERIAL, TIOCSSERIAL), which the
// pseudo-terminal refuses and Wine ignores, and sets 38400; the bytes here
// pass whatever the rate.
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum { kMaxWords = 1 << 16, kWordUs = 8191, kLookUs = 20000 };

static const char* board_file;
static long long board_mtime = -1;
static char mode[16];
static long long word_at[kMaxWords];  // from the stream's start, microseconds
static unsigned char word_bytes[kMaxWords][2];
static int word_count, next_word, looping;
static long long stream_start;  // monotonic microseconds
static long long idle_due;      // the next continuation word outside a stream

static long long NowUs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

static void LoadStream(const char* name) {
  word_count = next_word = 0;
  FILE* f = fopen(name, "re");
  if (f == NULL) {
    perror(name);
    return;
  }
  char line[128];
  unsigned b0, b1;
  long long at;
  while (fgets(line, sizeof line, f) != NULL && word_count < kMaxWords) {
    if (sscanf(line, "%lld %x %x", &at, &b0, &b1) != 3) continue;
    word_at[word_count] = at;
    word_bytes[word_count][0] = (unsigned char)b0;
    word_bytes[word_count++][1] = (unsigned char)b1;
  }
  fclose(f);
}

// Every kLookUs at most: takes up a changed BOARD file.
static void FollowBoardFile(long long now) {
  struct stat st;
  if (stat(board_file, &st) != 0) return;
  const long long mtime = (long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
  if (mtime == board_mtime) return;
  board_mtime = mtime;
  FILE* f = fopen(board_file, "re");
  char line[1024] = "", stream[1000] = "", loop[8] = "";
  if (f == NULL) return;
  if (fgets(line, sizeof line, f) == NULL) line[0] = 0;
  fclose(f);
  mode[0] = 0;
  sscanf(line, "%15s %999s %7s", mode, stream, loop);
  word_count = next_word = 0;
  if (stream[0] != 0) LoadStream(stream);
  looping = strcmp(loop, "loop") == 0;
  stream_start = now;
  idle_due = now + kWordUs;
}

static void Send(int master, const void* bytes, size_t size) {
  // The port may not be open, and then nobody drains the line: what does
  // not fit is lost, as a USB bridge loses it.
  if (write(master, bytes, size) < 0 && errno != EAGAIN && errno != EIO) perror("pty-holder");
}

// Sends the words that are due; returns when the next one is.
static long long SendDue(int master, long long now) {
  if (strcmp(mode, "board") != 0) return now + kLookUs;
  while (next_word < word_count && stream_start + word_at[next_word] <= now) {
    Send(master, word_bytes[next_word], 2);
    if (++next_word == word_count) {
      // The stream ends on a dark line: its continuation words go on.
      idle_due = stream_start + word_at[word_count - 1] + kWordUs;
      if (looping) {
        stream_start = idle_due;
        next_word = 0;
      }
    }
  }
  if (next_word < word_count) return stream_start + word_at[next_word];
  while (idle_due <= now) {
    static const unsigned char kDarkGoesOn[2] = {0x80 | (kWordUs >> 7), kWordUs & 0x7f};
    Send(master, kDarkGoesOn, 2);
    idle_due += kWordUs;
  }
  return idle_due;
}

static void Answer(int master) {
  unsigned char in[256];
  const ssize_t n = read(master, in, sizeof in);
  for (ssize_t i = 0; i < n; ++i) {
    if (in[i] != 'v') continue;
    if (strcmp(mode, "board") == 0) Send(master, "VIREO-IR 1\n", 11);
    if (strcmp(mode, "other") == 0) Send(master, "OK\r\n", 4);
  }
}

static void Serve(int master) {
  // Raw from the start (termios requests on the master reach the slave):
  // before Wine sets the port up, an echo of a word would come back here.
  struct termios raw;
  if (tcgetattr(master, &raw) == 0) {
    cfmakeraw(&raw);
    tcsetattr(master, TCSANOW, &raw);
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  long long look = 0;
  for (;;) {
    long long now = NowUs();
    if (now >= look) {
      FollowBoardFile(now);
      look = now + kLookUs;
    }
    long long due = SendDue(master, now);
    if (due > look) due = look;
    const long long wait = due > now ? due - now : 0;
    const struct timespec timeout = {wait / 1000000, wait % 1000000 * 1000};
    struct pollfd p = {master, POLLIN, 0};
    // With the slave side closed the master reads as hung up: only sleep.
    if (ppoll(&p, 1, &timeout, NULL) > 0 && !(p.revents & POLLHUP)) {
      Answer(master);
    } else if (p.revents & POLLHUP) {
      nanosleep(&timeout, NULL);
    }
  }
}

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    fprintf(stderr, "usage: %s PARENT_PID [BOARD]\n", argv[0]);
    return 2;
  }
  // Asked for before the check, so that a parent that ends in between is
  // still seen: either the signal comes or the parent has changed.
  if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != (pid_t)atol(argv[1])) return 1;
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    perror("pty-holder");
    return 1;
  }
  const char* slave = ptsname(master);
  if (slave == NULL) return 1;
  printf("%s\n", slave);
  fflush(stdout);
  if (argc == 3) {
    board_file = argv[2];
    Serve(master);
  }
  for (;;) pause();
}
