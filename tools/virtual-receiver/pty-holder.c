// Holds a pseudo-terminal open for the serial-line test under Wine: prints
// the path of its slave side, then waits until it is killed. It ends with
// the process named on its command line (the test script), even when that
// one is killed, so that no holder outlives a test run.
//   pty-holder PARENT_PID
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s PARENT_PID\n", argv[0]);
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
  for (;;) pause();
}
