// Any bytes through read_word and read_char, checked against a plain model
// of the stream: CR LF read as LF, words cut at their bound, the whitespace
// that ends a word left for the next read, nothing read twice or lost.
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
  std::size_t at = 0;
  for (std::size_t step = 0; step < 2 * model.size() + 4; ++step) {
    order = order * 1103515245u + 12345u;
    if (order & 0x10000u) {
      const std::optional<char> c = read_char(console);
      require(c.has_value() == (at < model.size()));
      if (c) require(*c == model[at++]);
    } else {
      const std::optional<std::string> word = read_word(console, bound);
      while (at < model.size() && is_word_space(static_cast<unsigned char>(model[at]))) ++at;
      require(word.has_value() == (at < model.size()));
      if (!word) continue;
      std::size_t length = 0;
      while (at + length < model.size() && length < bound &&
             !is_word_space(static_cast<unsigned char>(model[at + length])))
        ++length;
      require(*word == model.substr(at, length));
      at += length;
    }
  }
  std::fclose(console.in);
  return 0;
}
