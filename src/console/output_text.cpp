// The program's own texts in the output's character set, wherever it is.
#include <algorithm>
#include <cstring>
#include <string>

#include "console/code_page.h"

using namespace std::string_view_literals;

namespace {

// ASCII for U+00C0 to U+00FF, one letter each; '\0' where it takes two.
constexpr std::string_view latin1_letters =
    "AAAAAA\0CEEEEIIII"
    "DNOOOOOxOUUUUY\0\0"
    "aaaaaa\0ceeeeiiii"
    "dnooooo/ouuuuy\0y"sv;

std::string_view ascii_for(char32_t point) {
  constexpr char32_t latin1_first = 0xc0;
  switch (point) {
    case 0xa0: return " ";
    case 0xab: case 0xbb: case 0x201c: case 0x201d: return "\"";
    case 0xc6: return "AE";
    case 0xde: return "Th";
    case 0xdf: return "ss";
    case 0xe6: return "ae";
    case 0xfe: return "th";
    case 0x152: return "OE";
    case 0x153: return "oe";
    case 0x2018: case 0x2019: return "'";
    case 0x2013: case 0x2014: return "-";
    case 0x2026: return "...";
    default: break;
  }
  if (point >= latin1_first && point - latin1_first < latin1_letters.size())
    return latin1_letters.substr(point - latin1_first, 1);
  return "?";
}

}  // namespace

std::size_t utf8_sequence(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text.front());
  std::size_t length = 1;
  if (lead >= 0xf0)
    length = 4;
  else if (lead >= 0xe0)
    length = 3;
  else if (lead >= 0xc0)
    length = 2;
  return std::min(length, text.size());
}

std::string ascii_spelling(std::string_view utf8) {
  std::string text;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = utf8_sequence(utf8.substr(at));
    if (length == 1) {
      text.push_back(utf8[at] & 0x80 ? '?' : utf8[at]);
    } else {
      constexpr unsigned payload_bits = 6;
      char32_t point = static_cast<unsigned char>(utf8[at]) & (0x7f >> length);
      for (std::size_t i = 1; i < length; ++i)
        point = point << payload_bits | (static_cast<unsigned char>(utf8[at + i]) & 0x3f);
      text += ascii_for(point);
    }
    at += length;
  }
  return text;
}

bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  // The first of them that is set and not empty is the locale of characters.
  for (const char* locale : {lc_all, lc_ctype, lang}) {
    if (locale == nullptr || *locale == '\0') continue;
    std::string codeset;
    const char* dot = std::strchr(locale, '.');
    for (const char* at = dot ? dot + 1 : locale + std::strlen(locale); *at && *at != '@'; ++at)
      if (*at != '-') codeset.push_back(static_cast<char>(*at | 0x20));  // lower case
    return codeset == "utf8";
  }
  return false;
}
