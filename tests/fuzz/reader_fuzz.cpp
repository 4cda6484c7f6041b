// Any bytes through read_word, read_line, read_char and skip_word_terminator,
// checked against a plain model of the stream: CR LF read as LF, words and
// lines past their bound refused whole, the whitespace that ends a word left
// for the next read (and taken by the skip that follows), a line's line feed
// taken with it, nothing read twice or lost.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "console/console.h"

namespace {

std::string fold_crlf(const std::string& bytes) {
  std::string folded;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    folded.push_back(bytes[i]);
  }
  return folded;
}

void require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

// The first byte picks the word bound, the second the order of the reads;
// the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t bound = 1 + data[0] % 16;
  unsigned order = data[1] | 0x100u;
  std::string stream(reinterpret_cast<const char*>(data + 2), size - 2);

  Console console;
  console.in =
      stream.empty() ? std::fopen("/dev/null", "rb") : fmemopen(stream.data(), stream.size(), "rb");
  if (!console.in) return 0;

  const std::string model = fold_crlf(stream);
  const auto space_at = [&](std::size_t i) {
    return i < model.size() && is_word_space(static_cast<unsigned char>(model[i]));
  };
  std::size_t at = 0;
  bool terminator_left = false;  // the last read was a word that ended on whitespace
  for (std::size_t step = 0; step < 2 * model.size() + 4; ++step) {
    order = order * 1103515245u + 12345u;
    if ((order & 0x30000u) == 0x30000u) {
      require(skip_word_terminator(console) == (at < model.size()));
      if (terminator_left) ++at;
      terminator_left = false;
    } else if (order & 0x10000u) {
      terminator_left = false;
      const std::optional<char> c = read_char(console);
      require(c.has_value() == (at < model.size()));
      if (c) require(*c == model[at++]);
    } else if (order & 0x40000u) {
      terminator_left = false;
      const std::optional<Answer> line = read_line(console, bound);
      require(line.has_value() == (at < model.size()));
      if (!line) continue;
      const std::size_t end = std::min(model.find('\n', at), model.size());
      require(line->too_long == (end - at > bound));
      require(line->text == model.substr(at, std::min(end - at, bound)));
      at = std::min(end + 1, model.size());
    } else {
      terminator_left = false;
      const std::optional<Answer> word = read_word(console, bound);
      while (space_at(at)) ++at;
      require(word.has_value() == (at < model.size()));
      if (!word) continue;
      std::size_t length = 0;
      while (at + length < model.size() && !space_at(at + length)) ++length;
      require(word->too_long == (length > bound));
      require(word->text == model.substr(at, std::min(length, bound)));
      at += length;
      terminator_left = space_at(at);
    }
  }
  std::fclose(console.in);
  return 0;
}
