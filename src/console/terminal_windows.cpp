// Clearing, colouring and pausing in the Windows console, through the
// command processor, as the program has always done there.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "console/console.h"

namespace {

std::atomic<bool> interrupts_held{false};
std::mutex last_words_lock;
std::string last_words;

// Runs on its own thread when Ctrl-C is pressed or the window is closed; the
// event takes its usual course (the program ends) once interrupts are
// released, and the last words are said.
BOOL WINAPI wait_for_release(DWORD /*event*/) {
  while (interrupts_held.load()) Sleep(1);
  const std::lock_guard lock(last_words_lock);
  DWORD written = 0;
  if (!last_words.empty())
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), last_words.data(),
              static_cast<DWORD>(last_words.size()), &written, nullptr);
  return FALSE;
}

}  // namespace

Console open_standard_console() {
  // From the start, so that a Ctrl-C just before a save cannot slip past it
  // to the default handler while the temporary file is written.
  SetConsoleCtrlHandler(wait_for_release, TRUE);
  Console console;
  // On a pipe, a file or a device such as NUL, "cls" and "color" have no
  // window to act on and could only add stray bytes to the output, so they
  // run for a console window alone.
  DWORD mode = 0;
  console.styled = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
  console.coloured = console.styled && !colours_refused();
  // Redirected input is taken byte for byte: text mode would end it at a
  // 0x1A byte. The reader folds CR LF itself. A console keeps its own ways.
  const bool typed = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  if (!typed) _setmode(_fileno(stdin), _O_BINARY);
  console.interactive = typed && console.styled;
  return console;
}

// The command processor is the Windows console's own way to clear and colour.
void clear_screen(Console& console) {
  if (console.styled) std::system("cls");  // NOLINT(cert-env33-c)
}

// The colours stay after the program ends: "color" changes the whole window.
void set_console_colours(Console& console) {
  if (console.coloured) std::system("color 0c");  // NOLINT(cert-env33-c)
}

// "color" sets the window for good: nothing to take back.
void resume_colours(Console& /*console*/) {}

// Console and redirected writes block on Windows. Text mode writes each line
// feed as CR LF, as the console expects.
bool write_fully(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
         std::fflush(stream) == 0;
}

namespace {
// The console's modes while another program has it, to be put back after.
std::array<DWORD, 2> modes_before{};
std::array<bool, 2> modes_saved{};
constexpr std::array<DWORD, 2> console_handles = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE};
}  // namespace

// Ctrl-C in a console editor is the editor's: the program lets it pass.
void hand_over_terminal(Console& console) {
  for (std::size_t i = 0; i < console_handles.size(); ++i)
    modes_saved[i] = GetConsoleMode(GetStdHandle(console_handles[i]), &modes_before[i]) != 0;
  discard_typed_ahead(console);  // none of it is for the other program
  SetConsoleCtrlHandler(nullptr, TRUE);
}

void take_back_terminal(Console& /*console*/) {
  SetConsoleCtrlHandler(nullptr, FALSE);
  for (std::size_t i = 0; i < console_handles.size(); ++i)
    if (modes_saved[i]) SetConsoleMode(GetStdHandle(console_handles[i]), modes_before[i]);
}

void set_last_words(std::string_view text) {
  const std::lock_guard lock(last_words_lock);
  last_words.assign(text);
  // As the console shows a line end.
  for (std::size_t at = last_words.find('\n'); at != std::string::npos;
       at = last_words.find('\n', at + 2))
    last_words.insert(at, 1, '\r');
}

bool window_closes_with_program() {
  DWORD processes[2];
  DWORD mode = 0;
  return window_is_the_programs_alone(GetConsoleProcessList(processes, 2),
                                      GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0,
                                      GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0);
}

void pause_ms(unsigned milliseconds) {
  Sleep(milliseconds);
}

void discard_typed_ahead(Console& console) {
  if (console.interactive) FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
}

// Windows reads block; a failed read is a real failure.
bool wait_for_input(std::FILE* /*in*/) {
  return false;
}

void hold_interrupts() {
  interrupts_held = true;
}

void release_interrupts() {
  interrupts_held = false;
}
