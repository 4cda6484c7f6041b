// The program's own texts in the output's character set, wherever it is.
#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "console/code_page.h"

using namespace std::string_view_literals;

namespace {

// ASCII for U+00C0 to U+00FF, one letter each; '\0' where it takes two.
constexpr char32_t latin1_first = 0xc0;
constexpr std::string_view latin1_letters =
    "AAAAAA\0CEEEEIIII"
    "DNOOOOOxOUUUUY\0\0"
    "aaaaaa\0ceeeeiiii"
    "dnooooo/ouuuuy\0y"sv;

struct Spelling {
  char32_t point;
  std::string_view ascii;
};
constexpr std::array<Spelling, 18> spellings = {{
    {0xa0, " "},
    {0xab, "\""},
    {0xbb, "\""},
    {0xc6, "AE"},
    {0xde, "Th"},
    {0xdf, "ss"},
    {0xe6, "ae"},
    {0xfe, "th"},
    {0x152, "OE"},
    {0x153, "oe"},
    {0x2013, "-"},
    {0x2014, "-"},
    {0x2018, "'"},
    {0x2019, "'"},
    {0x201c, "\""},
    {0x201d, "\""},
    {0x2026, "..."},
    {0x2212, "-"},
}};

std::string_view ascii_for(char32_t point) {
  for (const Spelling& spelling : spellings)
    if (spelling.point == point) return spelling.ascii;
  if (point >= latin1_first && point - latin1_first < latin1_letters.size())
    return latin1_letters.substr(point - latin1_first, 1);
  return "?";
}

constexpr unsigned char ascii_end = 0x80;
constexpr unsigned char two_byte_lead = 0xc0;
constexpr unsigned char three_byte_lead = 0xe0;
constexpr unsigned char four_byte_lead = 0xf0;
constexpr unsigned payload_bits = 6;
constexpr unsigned payload_mask = 0x3f;
constexpr unsigned lead_payload_mask = 0x7f;  // shifted right by the sequence's length

}  // namespace

std::size_t utf8_sequence(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text.front());
  std::size_t length = 1;
  if (lead >= four_byte_lead)
    length = 4;
  else if (lead >= three_byte_lead)
    length = 3;
  else if (lead >= two_byte_lead)
    length = 2;
  return std::min(length, text.size());
}

std::string ascii_spelling(std::string_view utf8) {
  std::string text;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = utf8_sequence(utf8.substr(at));
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (length == 1) {
      text.push_back(lead < ascii_end ? utf8[at] : '?');
    } else {
      char32_t point = lead & (lead_payload_mask >> length);
      for (std::size_t i = 1; i < length; ++i)
        point = point << payload_bits | (static_cast<unsigned char>(utf8[at + i]) & payload_mask);
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
    const std::string_view name = locale;
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    std::string codeset;
    for (const char c : name.substr(dot + 1, name.find('@') - dot - 1))
      if (c != '-')
        codeset.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return codeset == "utf8";
  }
  return false;
}
