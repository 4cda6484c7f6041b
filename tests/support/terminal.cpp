#include "terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#if __has_include(<pty.h>)
#include <pty.h>
#else
#include <util.h>  // forkpty on macOS and the BSDs
#endif

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// Says what the shell does, as a shell's own lines would.
void shell_says(const std::string& text) {
  (void)!write(STDOUT_FILENO, text.data(), text.size());
}

// In the child that owns the new terminal: runs the program as a shell runs
// a job, in a process group of its own, so that Ctrl-Z stops it (the stop is
// discarded in an orphaned group). Continues it when it stops, and ends as
// the program did.
[[noreturn]] void run_as_job(const char* program, const Job& options) {
  signal(SIGTTOU, SIG_IGN);  // tcsetpgrp from a background group, as shells do
  const pid_t job = fork();
  if (job == 0) {
    setpgid(0, 0);
    if (!options.in_background) tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
    for (const int signal_number : options.ignored) signal(signal_number, SIG_IGN);
    for (const auto& variable : options.environment) putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> argv = {const_cast<char*>(program)};
    for (const auto& argument : options.arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program, argv.data());
    _exit(127);
  }
  setpgid(job, job);
  int status = 0;
  for (std::size_t stops = 0; waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status);
       ++stops) {
    shell_says(STOPPED);
    const bool background = stops < options.continue_as.size() && options.continue_as[stops] == 'b';
    tcsetpgrp(STDIN_FILENO, background ? getpgrp() : job);
    shell_says(background ? BG : FG);
    kill(-job, SIGCONT);
  }
  if (options.shows_leftover) {
    tcsetpgrp(STDIN_FILENO, getpgrp());  // the terminal is the shell's again
    fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    std::array<char, 256> left{};
    const ssize_t got = read(STDIN_FILENO, left.data(), left.size());
    shell_says("<left:" +
               std::string(left.data(), static_cast<std::size_t>(std::max<ssize_t>(got, 0))) + ">");
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 126);
}

}  // namespace

std::string without_escapes(const std::string& output) {
  std::string text;
  for (std::size_t at = 0; at < output.size(); ++at) {
    if (output[at] != '\x1b') {
      text.push_back(output[at]);
      continue;
    }
    if (at + 1 < output.size() && output[at + 1] == '[') {
      // CSI: parameters, then one final byte from @ to ~.
      at += 2;
      while (at < output.size() && (output[at] < '@' || output[at] > '~')) ++at;
    } else if (at + 1 < output.size() && output[at + 1] == ']') {
      // OSC (a window title): up to BEL or ST.
      at += 2;
      while (at < output.size() && output[at] != '\a' && output[at] != '\x1b') ++at;
      if (at < output.size() && output[at] == '\x1b') ++at;
    } else {
      ++at;  // a two-byte escape
    }
  }
  return text;
}

PtyRun run_on_terminal(const char* program, std::vector<Typing> typing, const Job& job) {
  PtyRun run;
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child < 0) return run;
  if (child == 0) run_as_job(program, job);
  run.started = true;
  termios settings{};
  tcgetattr(master, &settings);
  if (job.screen_only) {
    cfmakeraw(&settings);      // keys reach the console as typed, Enter as CR
    settings.c_lflag |= ISIG;  // and Ctrl-C is a terminal's signal, as it always is
  } else {
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  }
  tcsetattr(master, TCSANOW, &settings);

  std::string output;
  std::size_t typed = 0, seen = 0;
  while (true) {
    while (typed < typing.size()) {
      run.output = job.screen_only ? without_escapes(output) : output;
      const auto at = run.output.find(typing[typed].after, seen);
      if (at == std::string::npos) break;
      seen = at + typing[typed].after.size();
      const std::string& keys = typing[typed].keys;
      if (keys.starts_with("@run "))
        (void)!std::system(keys.substr(5).c_str());
      else
        (void)!write(master, keys.data(), keys.size());
      ++typed;
    }
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, job.quiet_seconds * 1000) <= 0) break;  // a program that hangs fails below
    std::array<char, 4096> buffer{};
    const ssize_t got = read(master, buffer.data(), buffer.size());
    if (got <= 0) break;  // EIO once the program has closed the terminal
    output.append(buffer.data(), static_cast<std::size_t>(got));
  }
  run.output = job.screen_only ? without_escapes(output) : output;
  run.raw = output;
  kill(child, SIGKILL);  // no effect on a program that has ended
  close(master);         // hangs up a program left behind
  waitpid(child, &run.wait_status, 0);
  return run;
}

bool exited_with(int wait_status, int status) {
  if (status < 0) return WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == -status;
  return WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == status;
}
