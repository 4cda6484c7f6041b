#include "notefile/text_file.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "console/editor.h"
#include "note_draft.h"

namespace {

constexpr std::string_view utf8_mark = "\xef\xbb\xbf";
constexpr std::string_view utf16_le_mark = "\xff\xfe";
constexpr std::string_view utf16_be_mark = "\xfe\xff";
constexpr char32_t first_surrogate = 0xd800;
constexpr char32_t first_low_surrogate = 0xdc00;
constexpr char32_t past_surrogates = 0xe000;
constexpr char32_t first_paired = 0x10000;
constexpr unsigned surrogate_bits = 10;
constexpr unsigned byte_bits = 8;

// A character as UTF-8: its lead byte, then six bits a continuation byte.
void append_utf8(std::string& text, char32_t c) {
  constexpr char32_t one_byte = 0x80;
  constexpr char32_t two_bytes = 0x800;
  constexpr unsigned six = 6;
  constexpr unsigned continuation = 0x80;
  constexpr unsigned low_six = 0x3f;
  constexpr std::array<unsigned, 4> leads = {0x00, 0xc0, 0xe0, 0xf0};
  const std::size_t more = c < one_byte ? 0 : c < two_bytes ? 1 : c < first_paired ? 2 : 3;
  text.push_back(static_cast<char>(leads.at(more) | (c >> (six * more))));
  for (std::size_t i = more; i > 0; --i)
    text.push_back(static_cast<char>(continuation | ((c >> (six * (i - 1))) & low_six)));
}

// UTF-16 after its mark, in UTF-8; false when it is not UTF-16 text.
bool utf16_to_utf8(std::string_view bytes, bool big_endian, std::string& text) {
  if (bytes.size() % 2 != 0) return false;
  const auto unit = [&](std::size_t at) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char32_t>(big_endian ? (first << byte_bits) | second
                                            : (second << byte_bits) | first);
  };
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    char32_t c = unit(at);
    if (c == 0 || (c >= first_low_surrogate && c < past_surrogates)) return false;
    if (c >= first_surrogate && c < first_low_surrogate) {
      if (at + 2 >= bytes.size()) return false;
      const char32_t low = unit(at + 2);
      if (low < first_low_surrogate || low >= past_surrogates) return false;
      c = first_paired + ((c - first_surrogate) << surrogate_bits) + (low - first_low_surrogate);
      at += 2;
    }
    append_utf8(text, c);
  }
  return true;
}

}  // namespace

bool is_utf8(std::string_view bytes) {
  // Read by hand: a static build may have no converters to ask.
  constexpr unsigned continuation_mask = 0xc0;
  constexpr unsigned continuation = 0x80;
  constexpr unsigned payload = 0x3f;
  constexpr unsigned six = 6;
  constexpr std::array<unsigned, 4> leads = {0x00, 0xc0, 0xe0, 0xf0};
  constexpr std::array<unsigned, 4> lead_payloads = {0x7f, 0x1f, 0x0f, 0x07};
  constexpr std::array<char32_t, 4> smallest = {0, 0x80, 0x800, first_paired};
  constexpr char32_t largest = 0x10ffff;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t more = leads.size();  // the continuation bytes that follow it
    for (std::size_t i = 0; i < leads.size() && more == leads.size(); ++i)
      if ((lead & ~lead_payloads.at(i)) == leads.at(i)) more = i;
    if (more == leads.size() || at + more >= bytes.size()) return false;
    char32_t c = lead & lead_payloads.at(more);
    for (std::size_t i = 1; i <= more; ++i) {
      const auto next = static_cast<unsigned char>(bytes[at + i]);
      if ((next & continuation_mask) != continuation) return false;
      c = (c << six) | (next & payload);
    }
    // Overlong forms, surrogates and what lies past U+10FFFF are not UTF-8.
    if (c < smallest.at(more) || c > largest || (c >= first_surrogate && c < past_surrogates))
      return false;
    at += more + 1;
  }
  return true;
}

TextFile note_of_file_bytes(std::string_view bytes, bool eight_bit_kept) {
  TextFile file;
  std::string text;
  if (bytes.starts_with(utf16_le_mark) || bytes.starts_with(utf16_be_mark)) {
    if (!utf16_to_utf8(bytes.substr(2), bytes.starts_with(utf16_be_mark), text)) {
      file.fault = TextFile::Fault::not_text;
      return file;
    }
  } else {
    if (bytes.starts_with(utf8_mark)) bytes.remove_prefix(utf8_mark.size());
    if (bytes.find('\0') != std::string_view::npos || (!eight_bit_kept && !is_utf8(bytes))) {
      file.fault = TextFile::Fault::not_text;
      return file;
    }
    text = bytes;
  }
  file.text = note_from_draft(text);
  if (file.text.size() > max_answer_length) file.fault = TextFile::Fault::too_long;
  return file;
}

std::string title_of_file_name(std::string_view path, bool windows) {
  const std::size_t folder_end = path.find_last_of(windows ? "/\\" : "/");
  if (folder_end != std::string_view::npos) path.remove_prefix(folder_end + 1);
  constexpr std::string_view extension = ".txt";
  if (path.size() > extension.size() &&
      std::equal(extension.begin(), extension.end(), path.end() - extension.size(),
                 [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
    path.remove_suffix(extension.size());
  return std::string(path);
}
