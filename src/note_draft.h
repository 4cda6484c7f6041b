#pragma once

#include <cstddef>
#include <string>

// Bounds on what each answer may hold; a longer word is cut here and its rest
// is left for the next read, as a second word on the same line would be.
inline constexpr std::size_t max_title_length = 1024;
inline constexpr std::size_t max_comment_length = 1024;
inline constexpr std::size_t max_body_length = 2048;

// The answers of one run, each one word exactly as typed.
struct NoteDraft {
  std::string title;
  std::string comment;  // empty when the user declined to add one
  std::string body;
};
