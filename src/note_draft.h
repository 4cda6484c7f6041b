#pragma once

#include <cstddef>
#include <string>

// The most an answer may hold, the comment and the whole note included; a
// longer one is refused, never cut. Titles are bounded by their file name.
inline constexpr std::size_t max_answer_length = std::size_t{64} * 1024;

// The answers of one run, exactly as typed: each one word, or with --lines
// a line (the note, lines joined by CR LF).
struct NoteDraft {
  std::string title;
  std::string comment;  // empty when the user declined to add one
  std::string body;
};
