#include "console/console.h"

#include "console/code_page.h"

#include <cstdlib>

namespace {

// ==== Input ====

int raw_get(Console& console) {
  if (console.peeked != no_char) {
    const int c = console.peeked;
    console.peeked = no_char;
    return c;
  }
  // After a failure nothing more is read: the input is not to be trusted.
  if (console.input_failed || console.input_abandoned) return EOF;
  if (console.console_input) return read_typed(console);
  // A resize that came before the read, as one that interrupts it.
  if (console.on_resize && take_resize()) console.on_resize();
  int c = std::getc(console.in);
  while (c == EOF && std::ferror(console.in) != 0) {
    if (!wait_for_input(console.in)) {
      console.input_failed = true;
      return EOF;
    }
    std::clearerr(console.in);
    if (console.on_resize && take_resize()) console.on_resize();
    c = std::getc(console.in);
  }
  return c;
}

// One character of input, with CR LF folded to LF so that redirected files
// from Windows and typed lines read alike.
int next_char(Console& console) {
  if (console.unread != no_char) {
    const int c = console.unread;
    console.unread = no_char;
    console.unread_ends_word = false;
    return c;
  }
  const int c = raw_get(console);
  if (c != '\r') return c;
  const int after = raw_get(console);
  if (after == '\n') return '\n';
  console.peeked = after;
  return c;
}

// For people at a terminal, whatever follows a hint left waiting (an
// answer never typed) starts a line of its own.
void close_open_line(Console& console) {
  if (!console.redraws || !console.line_open) return;
  console.line_open = false;
  set_line_open(false);
  remember_shown(console, "\n");
  (void)write_fully(console.out, "\n");
}

void track_open_line(Console& console, std::string_view shown) {
  if (!console.redraws || shown.empty()) return;
  console.line_open = !shown.ends_with('\n');
  set_line_open(console.line_open);
}

// Adds c to the answer, or, past its bound, passes over it. False once the
// answer has run on past max_passed_over: the input is then taken as ended.
bool take(Console& console, Answer& answer, int c, std::size_t max_length) {
  if (answer.text.size() == max_length) answer.too_long = true;
  if (answer.too_long) return pass_over(console, 1);
  answer.text.push_back(static_cast<char>(c));
  return true;
}

}  // namespace

std::string fill_format(std::string_view format, std::string_view field) {
  std::string text;
  for (auto at = format.find("%s"); at != std::string_view::npos; at = format.find("%s")) {
    text.append(format.substr(0, at)).append(field);
    format.remove_prefix(at + 2);
  }
  return text.append(format);
}

std::string_view trim_space(std::string_view text) {
  while (!text.empty() && is_word_space(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && is_word_space(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool window_is_the_programs_alone(unsigned console_processes, bool input_is_console,
                                  bool output_is_console) {
  return console_processes == 1 && input_is_console && output_is_console;
}

bool is_word_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<Answer> read_word(Console& console, std::size_t max_length) {
  skip_whitespace(console);
  int c = next_char(console);
  if (c == EOF) return std::nullopt;

  Answer word;
  do {
    if (!take(console, word, c, max_length)) return std::nullopt;
    c = next_char(console);
  } while (c != EOF && !is_word_space(c));
  if (console.input_failed) return std::nullopt;  // cut short by the failure: not an answer
  if (!console.refused.empty()) {
    // The line is refused whole: none of it answers the next question.
    word.refused = console.refused;
    console.typed_at = console.typed.size();
    return word;
  }
  if (c != EOF) {
    console.unread = c;
    console.unread_ends_word = true;
  }
  return word;
}

std::optional<Answer> read_line(Console& console, std::size_t max_length) {
  int c = next_char(console);
  if (c == EOF) return std::nullopt;
  Answer line;
  for (; c != EOF && c != '\n'; c = next_char(console))
    if (!take(console, line, c, max_length)) return std::nullopt;
  if (console.input_failed) return std::nullopt;
  if (c == '\n' && console.line_open) {  // its Enter, echoed, ended the line
    console.line_open = false;
    set_line_open(false);
  }
  // What the terminal echoed is part of the screen, to show again after a stop.
  if (c == '\n' && console.redraws && !line.too_long) {
    std::string shown = line.text;
    bool pasting = false;
    take_paste_marks(shown, pasting);
    remember_shown(console, shown + "\n");
  }
  line.refused = console.refused;
  line.cut = console.line_limit != 0 && !line.too_long && line.text.size() == console.line_limit;
  return line;
}

void skip_whitespace(Console& console) {
  int c = next_char(console);
  while (is_word_space(c) && pass_over(console, 1)) c = next_char(console);
  if (c != EOF && !console.input_abandoned) console.unread = c;
}

void begin_answer(Console& console) {
  console.passed_over = 0;
}

bool pass_over(Console& console, std::size_t bytes) {
  console.passed_over += bytes;
  if (console.passed_over > max_passed_over) console.input_abandoned = true;
  return !console.input_abandoned;
}

bool ask_again(Console& console, std::size_t answer_bytes) {
  return pass_over(console, answer_bytes + asked_again_bytes);
}

std::optional<char> read_char(Console& console) {
  const int c = next_char(console);
  if (c == EOF) return std::nullopt;
  return static_cast<char>(c);
}

bool skip_word_terminator(Console& console) {
  const bool ends_word = console.unread_ends_word;
  const int c = next_char(console);
  if (c == EOF) return false;
  if (!ends_word) console.unread = c;  // not a terminator: it stays for the next read
  return true;
}

bool colours_refused() {
  const char* no_color = std::getenv("NO_COLOR");
  return no_color != nullptr && *no_color != '\0';
}

bool print(Console& console, std::string_view text) {
  resume_colours(console);
  close_open_line(console);
  track_open_line(console, text);
  if (console.redraws) remember_shown(console, text);
  return write_fully(console.out, text);
}

bool print(Console& console, std::string_view format, std::string_view field) {
  return print(console, fill_format(format, field));
}

// Nothing to do about a failed error line: the exit status tells what happened.
void print_error(Console& console, std::string_view text) {
  close_open_line(console);
  track_open_line(console, text);
  if (console.redraws) remember_shown(console, text);
  (void)write_fully(console.err, for_error_stream(text));
}

void print_error(Console& console, std::string_view format, std::string_view field) {
  print_error(console, fill_format(format, field));
}

bool take_paste_marks(std::string& line, bool& pasting) {
  constexpr std::string_view paste_start = "\x1b[200~";
  constexpr std::string_view paste_end = "\x1b[201~";
  std::string text;
  for (std::string_view rest = line; !rest.empty();) {
    if (rest.starts_with(paste_start) || rest.starts_with(paste_end)) {
      pasting = rest.starts_with(paste_start);
      rest.remove_prefix(paste_start.size());
    } else {
      text.push_back(rest.front());
      rest.remove_prefix(1);
    }
  }
  line = std::move(text);
  return pasting;
}
