// Clearing, colouring and pausing on POSIX terminals, with ANSI escapes, and
// the signals that must not leave the terminal coloured behind the program.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "console/console.h"

namespace {

constexpr std::string_view cursor_home_and_erase = "\x1b[H\x1b[2J";
constexpr std::string_view bright_red_on_black = "\x1b[91;40m";
constexpr std::string_view reset_attributes = "\x1b[0m";

// The signals whose default action ends the program.
constexpr std::array<int, 4> exit_signals = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

// Set once colours are on; read from the exit and signal handlers.
volatile std::sig_atomic_t colours_set = 0;
int styled_fd = -1;

// ==== Signal handlers ====
// Only async-signal-safe calls from here to the end of the section.

void write_escape(std::string_view escape) {
  // Too late to do anything about a failed write.
  const ssize_t ignored = write(styled_fd, escape.data(), escape.size());
  (void)ignored;
}

void put_back_attributes() {
  if (colours_set == 0) return;
  colours_set = 0;
  write_escape(reset_attributes);
}

// SA_RESTART, or a stop and fg would fail the blocked read with EINTR.
void set_handler(int signal_number, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, nullptr);
}

void set_signal_blocked(int signal_number, bool blocked) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal_number);
  sigprocmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

// Ends the program as the signal would have, once the terminal is put back.
void on_exit_signal(int signal_number) {
  put_back_attributes();
  set_handler(signal_number, SIG_DFL);
  raise(signal_number);  // delivered as the handler returns
}

// Ctrl-Z: the shell gets its own colours back while the program is stopped,
// and the program takes its colours again when it is continued.
void on_stop_signal(int signal_number) {
  const int saved_errno = errno;
  const bool had_colours = colours_set != 0;
  put_back_attributes();
  set_handler(signal_number, SIG_DFL);
  set_signal_blocked(signal_number, false);
  raise(signal_number);  // stops here until continued
  set_signal_blocked(signal_number, true);
  set_handler(signal_number, on_stop_signal);
  if (had_colours) {
    colours_set = 1;
    write_escape(bright_red_on_black);
  }
  errno = saved_errno;
}

// ==== Setting up ====

// A signal ignored when the program started (nohup, a job run with Ctrl-C
// ignored) stays ignored.
void handle_unless_ignored(int signal_number, void (*handler)(int)) {
  struct sigaction old = {};
  if (sigaction(signal_number, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) return;
  set_handler(signal_number, handler);
}

void restore_terminal_on_every_exit() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(put_back_attributes);
  for (const int signal_number : exit_signals) handle_unless_ignored(signal_number, on_exit_signal);
  handle_unless_ignored(SIGTSTP, on_stop_signal);
}

sigset_t held_signals_before;

}  // namespace

Console open_standard_console() {
  // The output may be a pipe whose reader goes early; the exit status must
  // still say whether the note was saved.
  std::signal(SIGPIPE, SIG_IGN);
  Console console;
  console.styled = isatty(fileno(stdout)) != 0;
  return console;
}

void clear_screen(Console& console) {
  if (console.styled) print(console, cursor_home_and_erase);
}

void set_console_colours(Console& console) {
  if (!console.styled) return;
  styled_fd = fileno(console.out);
  restore_terminal_on_every_exit();
  colours_set = 1;
  print(console, bright_red_on_black);
}

void pause_ms(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool wait_for_input(std::FILE* in) {
  if (errno == EINTR) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  pollfd readable = {fileno(in), POLLIN, 0};
  while (poll(&readable, 1, -1) < 0)
    if (errno != EINTR) return false;
  return true;
}

void hold_interrupts() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : exit_signals) sigaddset(&set, signal_number);
  sigprocmask(SIG_BLOCK, &set, &held_signals_before);
}

void release_interrupts() {
  sigprocmask(SIG_SETMASK, &held_signals_before, nullptr);
}
