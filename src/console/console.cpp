#include "console/console.h"

namespace {

// ==== Input ====

int raw_get(Console& console) {
  if (console.peeked != no_char) {
    const int c = console.peeked;
    console.peeked = no_char;
    return c;
  }
  return std::getc(console.in);
}

// One character of input, with CR LF folded to LF so that redirected files
// from Windows and typed lines read alike.
int next_char(Console& console) {
  if (console.unread != no_char) {
    const int c = console.unread;
    console.unread = no_char;
    return c;
  }
  const int c = raw_get(console);
  if (c != '\r') return c;
  const int after = raw_get(console);
  if (after == '\n') return '\n';
  console.peeked = after;
  return c;
}

// ==== Output ====

void write_text(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

std::string fill_format(std::string_view format, std::string_view field) {
  const auto at = format.find("%s");
  if (at == std::string_view::npos) return std::string(format);
  std::string text(format.substr(0, at));
  text.append(field);
  text.append(format.substr(at + 2));
  return text;
}

}  // namespace

bool is_word_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<std::string> read_word(Console& console, std::size_t max_length) {
  int c = next_char(console);
  while (is_word_space(c)) c = next_char(console);
  if (c == EOF) return std::nullopt;

  std::string word;
  while (true) {
    word.push_back(static_cast<char>(c));
    if (word.size() >= max_length) break;  // the rest is the next read's
    c = next_char(console);
    if (c == EOF) break;
    if (is_word_space(c)) {
      console.unread = c;
      break;
    }
  }
  return word;
}

std::optional<char> read_char(Console& console) {
  const int c = next_char(console);
  if (c == EOF) return std::nullopt;
  return static_cast<char>(c);
}

void print(Console& console, std::string_view text) {
  write_text(console.out, text);
}

void print(Console& console, std::string_view format, std::string_view field) {
  write_text(console.out, fill_format(format, field));
}

void print_error(Console& console, std::string_view format, std::string_view field) {
  write_text(console.err, fill_format(format, field));
}
