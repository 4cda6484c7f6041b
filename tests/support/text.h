#pragma once

#include <string>

// The text as Windows text mode and terminals write it: each LF as CR LF.
inline std::string to_crlf(const std::string& text) {
  std::string converted;
  for (const char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}
