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

#include "console/code_page.h"
#include "console/console.h"
#include "console/system_windows.h"

namespace {

// How a console program ends on Ctrl-C, as the console's own programs do.
constexpr UINT status_control_c_exit = 0xC000013A;
constexpr std::size_t console_read_size = 4096;
constexpr int handler_start_tries = 100;
constexpr DWORD handler_start_step_ms = 10;

std::atomic<int> interrupts_held{0};  // holds nest: released by the last
std::atomic<bool> interrupted{false};
std::atomic<bool> editor_has_console{false};
std::mutex last_words_lock;
std::string last_words;
bool line_open = false;       // the screen's last line is a hint left waiting
std::wstring leftover_draft;  // removed by a signal's end when empty

// Runs on its own thread when Ctrl-C is pressed or the window is closed; the
// event takes its usual course (the program ends) once interrupts are
// released, and the last words are said.
BOOL WINAPI wait_for_release(DWORD event) {
  // Ctrl-C in the editor is the editor's; how the program found Ctrl-C
  // (ignored, maybe, by whoever started it) is never changed.
  if (event == CTRL_C_EVENT && editor_has_console.load()) return TRUE;
  interrupted = true;
  while (interrupts_held.load() > 0) Sleep(1);
  const std::lock_guard lock(last_words_lock);
  DWORD written = 0;
  if (!last_words.empty() && line_open)
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), "\r\n", 2, &written, nullptr);
  if (!last_words.empty())
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), last_words.data(),
              static_cast<DWORD>(last_words.size()), &written, nullptr);
  WIN32_FILE_ATTRIBUTE_DATA draft = {};
  if (!leftover_draft.empty() &&
      GetFileAttributesExW(leftover_draft.c_str(), GetFileExInfoStandard, &draft) != 0 &&
      draft.nFileSizeLow == 0 && draft.nFileSizeHigh == 0)
    DeleteFileW(leftover_draft.c_str());
  // Ctrl-C and Ctrl-Break end the program here, with the status that says
  // so (Wine's own handler would end it with 0); a closed window takes its
  // usual course.
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) ExitProcess(status_control_c_exit);
  return FALSE;
}

// Runs a command of the command processor's, from the system folder (never
// one planted in the current folder), and waits for it.
void run_console_command(const wchar_t* command) {
  const std::wstring program = system_program(L"cmd.exe");
  if (program.empty()) return;
  std::wstring line = L"\"" + program + L"\" /d /c " + command;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &process) == 0)
    return;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace

std::wstring system_program(std::wstring_view name) {
  std::array<wchar_t, MAX_PATH + 1> folder{};
  const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) return {};  // never a bare name
  return std::wstring(folder.data(), length) + L"\\" + std::wstring(name);
}

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
  console.console_input = typed;
  console.interactive = typed && console.styled;
  return console;
}

// The command processor is the Windows console's own way to clear and colour.
void clear_screen(Console& console) {
  if (!console.styled) return;
  console.line_open = false;
  set_line_open(false);
  run_console_command(L"cls");
}

// The console keeps its own screen in step with its window.
void watch_resizes(Console& /*console*/, bool /*on*/) {}

bool take_resize() {
  return false;
}

// The lock goes by itself, with the handle that holds it.
void set_signal_leftovers(std::string_view /*lock*/, std::string_view draft) {
  std::wstring path = widen(draft, CP_UTF8);
  const std::lock_guard lock(last_words_lock);
  leftover_draft = std::move(path);
}

void set_line_open(bool open) {
  const std::lock_guard lock(last_words_lock);
  line_open = open;
}

// The colours stay after the program ends: "color" changes the whole window.
void set_console_colours(Console& console) {
  if (console.coloured) run_console_command(L"color 0c");
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
  editor_has_console = true;
}

void take_back_terminal(Console& /*console*/) {
  editor_has_console = false;
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
  if (!console.interactive) return;
  FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
  console.typed_at = console.typed.size();
}

namespace {

// A line as the console gives it, its line end included; input_failed is
// set when the console could not be read.
std::wstring read_console_line(Console& console) {
  std::wstring line;
  std::array<wchar_t, console_read_size> buffer{};
  for (;;) {
    DWORD got = 0;
    const BOOL read = ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), buffer.data(),
                                   static_cast<DWORD>(buffer.size()), &got, nullptr);
    // A read that gives nothing, not even a line end, was cut short by
    // Ctrl-C (Windows fails it, Wine gives an empty line), whose handler
    // may start only now, on a thread of its own, to end the program: it
    // is no answer, and is given that time.
    for (int tries = 0; (read == 0 || got == 0) && tries < handler_start_tries; ++tries) {
      if (interrupted.load()) break;
      Sleep(handler_start_step_ms);
    }
    if (interrupted.load()) Sleep(INFINITE);
    if (read == 0) {
      console.input_failed = line.empty();  // a line cut short is taken as it is
      return line;
    }
    line.append(buffer.data(), got);
    if (got == 0 || line.ends_with(L'\n')) return line;
  }
}

}  // namespace

int read_typed(Console& console) {
  if (console.typed_at == console.typed.size()) {
    if (console.typed_ended) return EOF;
    std::wstring line = read_console_line(console);
    // Ctrl-Z ends the input where it stands, as the C runtime's text mode does.
    if (const std::size_t end = line.find(L'\x1a'); end != std::wstring::npos) {
      line.resize(end);
      console.typed_ended = true;
    }
    if (line.empty()) console.typed_ended = true;
    const unsigned code_page = GetConsoleCP();
    console.refused.clear();
    const std::u16string_view wide(reinterpret_cast<const char16_t*>(line.data()), line.size());
    std::optional<std::string> bytes = narrow_checked(wide, code_page, console.refused);
    console.typed = bytes ? std::move(*bytes) : narrow(line, code_page);
    console.typed_at = 0;
    if (console.typed.empty()) return EOF;
  }
  return static_cast<unsigned char>(console.typed[console.typed_at++]);
}

// Windows reads block; a failed read is a real failure.
bool wait_for_input(std::FILE* /*in*/) {
  return false;
}

void hold_interrupts() {
  ++interrupts_held;
}

void release_interrupts() {
  --interrupts_held;
}

// A console window shows again what it showed, and pastes as typed keys.
void remember_shown(Console& /*console*/, std::string_view /*text*/) {}
void set_paste_marks(Console& /*console*/, bool /*on*/) {}

std::optional<ScreenSize> screen_size(const Console& console) {
  CONSOLE_SCREEN_BUFFER_INFO screen = {};
  if (!console.styled || GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen) == 0)
    return std::nullopt;
  const int rows = screen.srWindow.Bottom - screen.srWindow.Top + 1;
  const int columns = screen.dwSize.X;
  if (rows <= 0 || columns <= 0) return std::nullopt;
  return ScreenSize{static_cast<std::size_t>(rows), static_cast<std::size_t>(columns)};
}
