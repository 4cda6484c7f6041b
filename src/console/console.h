#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int no_char = -2;  // an empty slot; distinct from EOF

// The console the dialogue talks to: one shared input stream for every read,
// and the output streams. Plain data, so tests can build one over any files.
struct Console {
  std::FILE* in = stdin;
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Windows: typed at a console window (console_input), and read as its
  // characters, a line at a time, in its input code page.
  std::string typed;                // the line read from it
  std::string refused;              // a character of that line its code page cannot hold
  std::size_t typed_at = 0;         // how much of it has been read
  std::size_t passed_over = 0;      // bytes passed over since the answer being read began
  std::size_t line_limit = 0;       // the longest line the input's terminal keeps, if it cuts
  int unread = no_char;             // a character given back to the stream
  int peeked = no_char;             // the character read after a lone carriage return
  bool styled = false;              // out takes clears (a terminal or console window)
  bool coloured = false;            // and colours: styled, and NO_COLOR not set
  bool unread_ends_word = false;    // it is the whitespace that ended the last word
  bool input_failed = false;        // a read failed, which is not the end of input; later reads
                                    // all give the end of input
  bool input_abandoned = false;     // an answer ran on past max_passed_over: taken as the end
  bool interactive = false;         // a person types: input and output are a terminal
  bool console_input = false;       // Windows: input is a console window
  bool typed_ended = false;         // Windows: Ctrl-Z ended the typed input
  bool redraws = false;             // what was shown since the last clear is shown again after a
                                    // stop, when the program is continued in the foreground
  bool paste_marks = false;         // the terminal marks what is pasted (bracketed paste)
  std::function<void()> on_resize;  // while watched: draws the screen again for a resized window
  bool line_open = false;           // while redraws: what was shown last ends in an open line (a
                                    // hint, a prompt) that nothing typed has ended yet
};

// The program's console over the standard streams, set up for this host.
Console open_standard_console();

// Writes text to out, visible at once. False when it could not be written,
// which only an answer to an option reports: the dialogue goes on regardless.
bool print(Console& console, std::string_view text);
// Prints a format with each "%s" replaced by field, byte for byte (NULs included).
bool print(Console& console, std::string_view format, std::string_view field);
// As print, but to the error stream.
void print_error(Console& console, std::string_view text);
void print_error(Console& console, std::string_view format, std::string_view field);

// Past this, an answer is no one's typing (/dev/zero, say): rather than pass
// over it for ever, the input is taken to have ended there. It counts all
// that one answer passes over: its bytes past their bound, the blank lines
// before it, the lines of a note past its bound.
inline constexpr std::size_t max_passed_over = std::size_t{16} << 20;

// Starts the count of what the next answer passes over.
void begin_answer(Console& console);
// Counts bytes passed over; false once the answer has run on past
// max_passed_over, and the input is taken as ended.
bool pass_over(Console& console, std::size_t bytes);
// The same for an answer that the question is asked again after (refused,
// or an empty line that shows the cards again): it counts its bytes and
// as many more as showing the question again takes at least, so that
// endless refused input ends as soon as endless passed-over input does.
inline constexpr std::size_t asked_again_bytes = 64;
bool ask_again(Console& console, std::size_t answer_bytes);

// A word or a line as read. One longer than its bound is no answer: too_long
// is set, text holds only its first bytes, and the rest of it has been passed
// over, so that none of it answers the next question.
struct Answer {
  std::string text;
  bool too_long = false;
  bool cut = false;     // as long as the terminal keeps a line: it may have cut it
  std::string refused;  // typed with a character the console's code page cannot hold
};

// Skips whitespace (line feeds included), then takes the non-whitespace
// characters that follow. The whitespace that ends the word stays in the
// stream. Nothing when the input ends before a word begins, or fails (which
// sets input_failed) before the word is whole.
std::optional<Answer> read_word(Console& console, std::size_t max_length);
// Takes the rest of the current line and its line feed, which is not part of
// the answer. A last line without one ends at the end of input. Nothing when
// the input has ended, or fails before the line is whole.
std::optional<Answer> read_line(Console& console, std::size_t max_length);
// Passes over whitespace, line feeds included, up to the next word.
void skip_whitespace(Console& console);
// The next character, whitespace included; nothing at the end of input.
std::optional<char> read_char(Console& console);
// Takes the whitespace that ended the last word, if the word left it in the
// stream; a word cut at its bound left none. False at the end of input.
bool skip_word_terminator(Console& console);

bool is_word_space(int c);
// Text without the whitespace around it (blanks, tabs, a lone CR...).
std::string_view trim_space(std::string_view text);
// A format with each "%s" replaced by field.
std::string fill_format(std::string_view format, std::string_view field);

// The size of the window the output shows in, in characters.
struct ScreenSize {
  std::size_t rows = 0;
  std::size_t columns = 0;
  bool operator==(const ScreenSize&) const = default;
};
// Host-specific: the window's size, when the output is one and its size is known.
std::optional<ScreenSize> screen_size(const Console& console);

// NO_COLOR set and not empty: the user wants no colours from any program.
bool colours_refused();

// Host-specific: clear the window, set light red on black, wait.
void clear_screen(Console& console);
void set_console_colours(Console& console);
void pause_ms(unsigned milliseconds);

// Host-specific: writes all of text, waiting while a non-blocking stream is
// full. False on a real failure.
bool write_fully(std::FILE* stream, std::string_view text);
// Host-specific: sets the colours again before output when a stop took them
// away and the program was continued in the background.
void resume_colours(Console& console);

// Host-specific: what print and print_error show is kept (its last screenful
// or so) while console.redraws, to be shown again after a stop; a clear
// forgets it.
void remember_shown(Console& console, std::string_view text);

// Host-specific: at a POSIX terminal, the terminal marks what is pasted
// while on, and the marks are not echoed; off on every end, as the colours
// are, and while the program is stopped. Sets console.paste_marks.
void set_paste_marks(Console& console, bool on);
// Takes the marks of a paste out of a line; pasting says whether a paste
// goes on, before the line and after it. True when the line's end was pasted.
bool take_paste_marks(std::string& line, bool& pasting);

// Host-specific: while another program (an editor) has the terminal, the
// program's colours and terminal settings are put aside, and Ctrl-C is that
// program's; taken back, they are the program's again.
void hand_over_terminal(Console& console);
void take_back_terminal(Console& console);

// Host-specific: a line for standard error should the program be ended by a
// signal (Ctrl-C, a closed window) from now on; empty for none. It starts a
// line of its own.
void set_last_words(std::string_view text);
// Host-specific: while on, a resized window interrupts a read, which calls
// console.on_resize and reads on (at a POSIX terminal, for people).
void watch_resizes(Console& console, bool on);
// Host-specific: whether the window was resized since the last call.
bool take_resize();

// Host-specific: should a signal end the program, the lock file that holds
// a draft's name goes, and the draft too when it is empty (paths in UTF-8;
// empty for none).
void set_signal_leftovers(std::string_view lock, std::string_view draft);

// Host-specific: whether the screen's last line is left open, for the last words.
void set_line_open(bool open);

// Whether the window closes when the program ends, so that its last lines
// would go unread: the program is the only one on its console (started
// from Explorer or the Start menu), reading and writing that console.
bool window_is_the_programs_alone(unsigned console_processes, bool input_is_console,
                                  bool output_is_console);
// Host-specific: the same for this run; never on POSIX, where a terminal
// outlives the program.
bool window_closes_with_program();

// Host-specific: throws away what was typed ahead at a terminal and not
// read, so that none of it reaches the shell as a command.
void discard_typed_ahead(Console& console);

// Host-specific: the next byte typed at a console window (console_input);
// EOF at the end of input, or on a failure, which sets input_failed.
int read_typed(Console& console);

// Host-specific: after a read of in failed, waits until it may be read again
// (a non-blocking input with nothing in it yet). False when the failure is real.
bool wait_for_input(std::FILE* in);

// Host-specific: while held, Ctrl-C and the other signals that end the
// program wait; they act once released. Holds nest.
void hold_interrupts();
void release_interrupts();

// Holds interrupts for as long as it lives.
struct InterruptsHeld {
  InterruptsHeld() { hold_interrupts(); }
  ~InterruptsHeld() { release_interrupts(); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};
