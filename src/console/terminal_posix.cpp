// Clearing, colouring and pausing on POSIX terminals, with ANSI escapes.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "console/console.h"

namespace {

constexpr std::string_view cursor_home_and_erase = "\x1b[H\x1b[2J";
constexpr std::string_view bright_red_on_black = "\x1b[91;40m";
constexpr std::string_view reset_attributes = "\x1b[0m";

// Set once colours are on; read from the exit and signal handlers.
volatile std::sig_atomic_t colours_set = 0;
int styled_fd = -1;

void put_back_attributes() {
  if (colours_set == 0) return;
  colours_set = 0;
  // Too late to do anything about a failed write.
  const ssize_t ignored = write(styled_fd, reset_attributes.data(), reset_attributes.size());
  (void)ignored;
}

void on_exit_signal(int signal_number) {
  put_back_attributes();
  std::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void restore_terminal_on_every_exit() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(put_back_attributes);
  for (const int signal_number : {SIGINT, SIGTERM, SIGQUIT, SIGHUP}) {
    struct sigaction action = {};
    action.sa_handler = on_exit_signal;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace

Console open_standard_console() {
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
