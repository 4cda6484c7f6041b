// Runs a program and writes its peak resident memory, in KiB, to a file.
//
//   peak_memory OUT_FILE PROGRAM [ARGS...]
//
// A forked child starts out counting its parent's resident pages, and the
// count survives exec; so a test process cannot measure a child's peak with
// wait4 alone. This small, static process forks the program instead. It
// exits as the program did, with its status or its signal.
#include <signal.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) return 125;
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return 125;
  if (FILE* out = fopen(argv[1], "w")) {
#ifdef __APPLE__
    const long kib = usage.ru_maxrss / 1024;  // bytes there, KiB on Linux
#else
    const long kib = usage.ru_maxrss;
#endif
    fprintf(out, "%ld\n", kib);
    fclose(out);
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}
