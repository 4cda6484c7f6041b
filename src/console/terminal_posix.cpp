// Clearing, colouring and pausing on POSIX terminals, with ANSI escapes, and
// the signals that must not leave the terminal coloured behind the program.
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "console/console.h"
#include "console/signals_posix.h"

namespace {

constexpr std::string_view cursor_home_and_erase = "\x1b[H\x1b[2J";
constexpr std::string_view bright_red_on_black = "\x1b[91;40m";
constexpr std::string_view reset_attributes = "\x1b[0m";
constexpr std::string_view paste_marks_on = "\x1b[?2004h";
constexpr std::string_view paste_marks_off = "\x1b[?2004l";
#ifdef __linux__
constexpr std::size_t linux_terminal_line_limit = 4095;
#endif

// The signals whose default action stops it: Ctrl-Z, and a read or a write of
// the terminal from the background.
constexpr std::array<int, 3> stop_signals = {SIGTSTP, SIGTTIN, SIGTTOU};

// Read and written from the signal handlers too.
constexpr std::size_t max_last_words = 8192;
std::array<char, max_last_words> last_words{};
volatile std::size_t last_words_length = 0;
volatile std::sig_atomic_t line_open = 0;  // the screen's last line is a hint left waiting
volatile std::sig_atomic_t resized = 0;    // the window was resized
// What a signal's end removes: a draft's lock, and its draft when empty.
constexpr std::size_t max_leftover_path = 4096;
std::array<char, max_leftover_path> leftover_lock{};
std::array<char, max_leftover_path> leftover_draft{};
volatile std::sig_atomic_t colours_wanted = 0;  // the run has its colours on
volatile std::sig_atomic_t colours_shown = 0;   // the terminal shows them now
int styled_fd = -1;
// What the question's screen shows, its last screenful or so, shown again
// when the program is continued (never while an editor has the terminal).
constexpr std::size_t max_screen = 16384;
std::array<char, max_screen> screen{};
volatile std::size_t screen_length = 0;
volatile std::sig_atomic_t screen_wanted = 0;
// Bracketed paste, with the terminal's echo of control characters off so
// that its marks never show; both put back on every end and at each stop.
volatile std::sig_atomic_t paste_wanted = 0;
volatile std::sig_atomic_t paste_shown = 0;
int paste_fd = -1;
termios settings_unmarked{};  // the terminal's settings before
termios settings_marked{};    // and with its marks

template <std::size_t N>
sigset_t signal_set(const std::array<int, N>& signals) {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : signals) sigaddset(&set, signal_number);
  return set;
}

// ==== Signal handlers ====
// Only async-signal-safe calls from here to the end of the section.

// Throws away what was typed ahead at a terminal, when the program is its
// foreground job: in the background the typing is another program's (the
// shell's), and the flush would stop the program.
void discard_input(int fd) {
  if (isatty(fd) != 0 && tcgetpgrp(fd) == getpgrp()) tcflush(fd, TCIFLUSH);
}

// Writes all of text, retrying where a signal or a full non-blocking output
// (a terminal stopped with Ctrl-S) cut it short. Safe in a signal handler.
bool write_all_fd(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = write(fd, text.data(), text.size());
    if (put >= 0) {
      text.remove_prefix(static_cast<std::size_t>(put));
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd writable = {fd, POLLOUT, 0};
    if (poll(&writable, 1, -1) < 0 && errno != EINTR) return false;
  }
  return true;
}

void write_escape(std::string_view escape) {
  // Too late to do anything about a failed write.
  (void)write_all_fd(styled_fd, escape);
}

// The colours go on only in the terminal's foreground job: never into the
// shell's screen after bg. A terminal that is not ours to control has no
// jobs to respect.
void show_colours() {
  if (colours_wanted == 0 || colours_shown != 0) return;
  const pid_t foreground = tcgetpgrp(styled_fd);
  if (foreground >= 0 && foreground != getpgrp()) return;
  // Flagged first: an exit in the middle of the write still resets.
  colours_shown = 1;
  write_escape(bright_red_on_black);
}

// Written before the flag is cleared, and with the stop signals held, so
// that no stop finds the terminal red and the flag saying otherwise.
void hide_colours() {
  if (colours_shown == 0) return;
  write_escape(reset_attributes);
  colours_shown = 0;
}

void show_paste_marks() {
  if (paste_wanted == 0 || paste_shown != 0 || tcgetpgrp(paste_fd) != getpgrp()) return;
  paste_shown = 1;
  tcsetattr(paste_fd, TCSANOW, &settings_marked);
  write_escape(paste_marks_on);
}

void hide_paste_marks() {
  if (paste_shown == 0) return;
  write_escape(paste_marks_off);
  tcsetattr(paste_fd, TCSANOW, &settings_unmarked);
  paste_shown = 0;
}

// Continued in the foreground: the question's screen again.
void redraw_screen() {
  if (screen_wanted == 0 || screen_length == 0 || tcgetpgrp(styled_fd) != getpgrp()) return;
  write_escape(cursor_home_and_erase);
  write_escape(std::string_view(screen.data(), screen_length));
}

void hold_stops(sigset_t* before) {
  const sigset_t stops = signal_set(stop_signals);
  sigprocmask(SIG_BLOCK, &stops, before);
}

// The stops and the exits alike, so that none finds the escape half written.
void hold_stops_and_exits(sigset_t* before) {
  sigset_t both = signal_set(stop_signals);
  for (const int signal_number : exit_signals) sigaddset(&both, signal_number);
  sigprocmask(SIG_BLOCK, &both, before);
}

// On every way out. The stops stay held: the program is ending.
void put_back_attributes() {
  hold_stops(nullptr);
  colours_wanted = 0;
  paste_wanted = 0;
  hide_colours();
  hide_paste_marks();
}

// SA_RESTART, or a stop and fg would fail the blocked read with EINTR. The
// stops wait while a handler runs.
void set_handler(int signal_number, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_mask = signal_set(stop_signals);
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, nullptr);
}

void set_signal_blocked(int signal_number, bool blocked) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal_number);
  sigprocmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

// Ends the program as the signal would have, once the terminal is put back,
// what was typed ahead thrown away (none of it may reach the shell), and the
// last words said.
void on_exit_signal(int signal_number) {
  put_back_attributes();
  discard_input(STDIN_FILENO);
  if (last_words_length > 0 && line_open != 0) (void)write_all_fd(STDERR_FILENO, "\n");
  struct stat draft = {};
  if (leftover_draft[0] != '\0' && lstat(leftover_draft.data(), &draft) == 0 &&
      S_ISREG(draft.st_mode) && draft.st_size == 0)
    unlink(leftover_draft.data());
  if (leftover_lock[0] != '\0') unlink(leftover_lock.data());
  (void)write_all_fd(STDERR_FILENO, std::string_view(last_words.data(), last_words_length));
  set_handler(signal_number, SIG_DFL);
  raise(signal_number);  // delivered as the handler returns
}

// Ctrl-Z, or the terminal touched from the background: the shell gets its
// own colours back while the program is stopped, and the program takes its
// colours again when it is continued in the foreground.
void on_stop_signal(int signal_number) {
  const int saved_errno = errno;
  hide_colours();
  hide_paste_marks();
  set_handler(signal_number, SIG_DFL);
  set_signal_blocked(signal_number, false);
  raise(signal_number);  // stops here until continued
  set_signal_blocked(signal_number, true);
  set_handler(signal_number, on_stop_signal);
  show_colours();
  show_paste_marks();
  redraw_screen();
  errno = saved_errno;
}

// A resized window: a read waiting is interrupted (no SA_RESTART), so that
// the screen is drawn again for it.
void on_resize_signal(int /*signal_number*/) {
  resized = 1;
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
  for (const int signal_number : stop_signals) handle_unless_ignored(signal_number, on_stop_signal);
}

// Where a dumb terminal is declared, no escape is understood.
bool terminal_is_dumb() {
  const char* term = std::getenv("TERM");
  return term != nullptr && std::strcmp(term, "dumb") == 0;
}

sigset_t held_signals_before;
int holds = 0;
// The terminal's settings while another program has it, to be put back after.
termios settings_before{};
bool settings_saved = false;

}  // namespace

Console open_standard_console() {
  // The output may be a pipe whose reader goes early; the exit status must
  // still say whether the note was saved.
  std::signal(SIGPIPE, SIG_IGN);
  // The program waits for its own children: an ignored SIGCHLD, inherited
  // from whoever started it, would have them reaped unseen.
  std::signal(SIGCHLD, SIG_DFL);
  Console console;
  console.styled = isatty(fileno(stdout)) != 0 && !terminal_is_dumb();
  console.coloured = console.styled && !colours_refused();
  const bool typed = isatty(fileno(stdin)) != 0;
  console.interactive = typed && isatty(fileno(stdout)) != 0;
#ifdef __linux__
  // Linux's terminal keeps 4095 bytes of a line and drops what is typed past them.
  if (typed) console.line_limit = linux_terminal_line_limit;
#endif
  return console;
}

void clear_screen(Console& console) {
  if (!console.styled) return;
  console.line_open = false;  // the clear starts the screen anew
  print(console, cursor_home_and_erase);
  console.line_open = false;
  line_open = 0;
  sigset_t before;
  hold_stops_and_exits(&before);
  screen_length = 0;
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void remember_shown(Console& console, std::string_view text) {
  if (!console.styled || text == cursor_home_and_erase) return;
  styled_fd = fileno(console.out);
  restore_terminal_on_every_exit();
  sigset_t before;
  hold_stops_and_exits(&before);
  // Past a screenful, what is kept is its end, as the terminal shows it.
  const std::size_t length = screen_length;
  const std::size_t kept = std::min(length, max_screen - std::min(text.size(), max_screen));
  std::copy_n(screen.begin() + static_cast<std::ptrdiff_t>(length - kept), kept, screen.begin());
  text = text.substr(text.size() - std::min(text.size(), max_screen));
  std::copy(text.begin(), text.end(), screen.begin() + static_cast<std::ptrdiff_t>(kept));
  screen_length = kept + text.size();
  screen_wanted = 1;
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void set_paste_marks(Console& console, bool on) {
  if (on == console.paste_marks) return;
  const int fd = fileno(console.in);
  if (on && (!console.interactive || !console.styled || tcgetattr(fd, &settings_unmarked) != 0))
    return;
  restore_terminal_on_every_exit();
  sigset_t before;
  hold_stops_and_exits(&before);
  if (on) {
    styled_fd = fileno(console.out);
    paste_fd = fd;
    settings_marked = settings_unmarked;
    settings_marked.c_lflag &= ~static_cast<tcflag_t>(ECHOCTL);
    paste_wanted = 1;
    show_paste_marks();
  } else {
    paste_wanted = 0;
    hide_paste_marks();
  }
  console.paste_marks = on;
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void set_console_colours(Console& console) {
  if (!console.coloured) return;
  styled_fd = fileno(console.out);
  restore_terminal_on_every_exit();
  colours_wanted = 1;
  resume_colours(console);
}

void resume_colours(Console& console) {
  if (!console.coloured || colours_wanted == 0 || colours_shown != 0) return;
  sigset_t before;
  hold_stops_and_exits(&before);
  show_colours();
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void hand_over_terminal(Console& console) {
  screen_wanted = 0;  // the screen is the other program's
  const int fd = fileno(console.in);
  settings_saved = isatty(fd) != 0 && tcgetattr(fd, &settings_before) == 0;
  discard_typed_ahead(console);  // none of it is for the other program
  if (!console.coloured || colours_wanted == 0) return;
  sigset_t before;
  hold_stops_and_exits(&before);
  colours_wanted = 0;
  hide_colours();
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void take_back_terminal(Console& console) {
  // However the other program ended, killed in raw mode included.
  if (settings_saved) tcsetattr(fileno(console.in), TCSANOW, &settings_before);
  settings_saved = false;
  if (!console.coloured || styled_fd < 0) return;
  colours_wanted = 1;
  resume_colours(console);
}

void set_last_words(std::string_view text) {
  // Signals wait while the words change.
  sigset_t before;
  hold_stops_and_exits(&before);
  const std::size_t length = std::min(text.size(), last_words.size());
  std::copy_n(text.begin(), length, last_words.begin());
  last_words_length = length;
  sigprocmask(SIG_SETMASK, &before, nullptr);
  if (length > 0) restore_terminal_on_every_exit();
}

void watch_resizes(Console& console, bool on) {
  if (!console.redraws) return;
  struct sigaction action = {};
  action.sa_handler = on ? on_resize_signal : SIG_DFL;  // SIGWINCH's default: nothing
  sigemptyset(&action.sa_mask);
  sigaction(SIGWINCH, &action, nullptr);
  resized = 0;
}

bool take_resize() {
  const bool was = resized != 0;
  resized = 0;
  return was;
}

void set_signal_leftovers(std::string_view lock, std::string_view draft) {
  sigset_t before;
  hold_stops_and_exits(&before);
  for (auto [path, kept] : {std::pair{lock, &leftover_lock}, std::pair{draft, &leftover_draft}}) {
    const bool fits = path.size() < kept->size();
    std::copy_n(path.begin(), fits ? path.size() : 0, kept->begin());
    (*kept)[fits ? path.size() : 0] = '\0';
  }
  sigprocmask(SIG_SETMASK, &before, nullptr);
  if (!lock.empty()) restore_terminal_on_every_exit();
}

void set_line_open(bool open) {
  line_open = open ? 1 : 0;
}

bool window_closes_with_program() {
  return false;
}

void pause_ms(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool write_fully(std::FILE* stream, std::string_view text) {
  // A non-blocking output shares stdin's mode, which may be so.
  return write_all_fd(fileno(stream), text);
}

void discard_typed_ahead(Console& console) {
  discard_input(fileno(console.in));
}

// Typed text is read as bytes here: the terminal's.
int read_typed(Console& /*console*/) {
  return EOF;
}

bool wait_for_input(std::FILE* in) {
  if (errno == EINTR) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  pollfd readable = {fileno(in), POLLIN, 0};
  while (poll(&readable, 1, -1) < 0)
    if (errno != EINTR) return false;
  return true;
}

// Holds nest: the last release puts back what the first hold found.
void hold_interrupts() {
  if (holds++ > 0) return;
  const sigset_t set = signal_set(exit_signals);
  sigprocmask(SIG_BLOCK, &set, &held_signals_before);
}

void release_interrupts() {
  if (holds > 0 && --holds == 0) sigprocmask(SIG_SETMASK, &held_signals_before, nullptr);
}

std::optional<ScreenSize> screen_size(const Console& console) {
  winsize size = {};
  if (!console.styled || ioctl(fileno(console.out), TIOCGWINSZ, &size) != 0 || size.ws_row == 0 ||
      size.ws_col == 0)
    return std::nullopt;
  return ScreenSize{size.ws_row, size.ws_col};
}
