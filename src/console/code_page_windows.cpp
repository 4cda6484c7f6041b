// Windows code pages, decoded by Windows itself.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "console/code_page.h"

std::optional<std::u16string> decode_code_page(std::string_view bytes, unsigned code_page) {
  if (bytes.empty()) return std::u16string();
  const int length = static_cast<int>(bytes.size());
  // Refused, not replaced: two titles must never fall on one name.
  const int size =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(),
                          size) != size)
    return std::nullopt;
  return std::u16string(wide.begin(), wide.end());
}

// Titles typed at a console arrive in its input code page. Redirected ones
// are read in the ANSI code page, as the C runtime's fopen reads names, so
// that 8-bit titles name the same file they always have.
unsigned title_code_page() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 ? GetConsoleCP() : GetACP();
}

// A console shows text in its output code page; elsewhere (a file, a pipe)
// text is read as ANSI, as it is written to one. Each stream is its own.
unsigned stream_code_page(DWORD stream) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(stream), &mode) != 0 ? GetConsoleOutputCP() : GetACP();
}

unsigned output_code_page() {
  return stream_code_page(STD_OUTPUT_HANDLE);
}

unsigned error_code_page() {
  return stream_code_page(STD_ERROR_HANDLE);
}

bool output_is_utf8() {
  return output_code_page() == CP_UTF8;
}

std::string for_error_stream(std::string_view text) {
  const unsigned out = output_code_page();
  const unsigned err = error_code_page();
  return out == err ? std::string(text) : narrow(widen(text, out), err);
}

namespace {

constexpr char32_t first_paired_point = 0x10000;
constexpr char16_t high_surrogates = 0xd800;
constexpr char16_t low_surrogates = 0xdc00;
constexpr int surrogate_bits = 10;
constexpr std::size_t max_character_bytes = 8;
constexpr std::size_t max_point_name = 16;

}  // namespace

std::optional<std::string> narrow_checked(std::u16string_view wide, unsigned code_page,
                                          std::string& refused) {
  std::string text;
  for (std::size_t at = 0; at < wide.size();) {
    const bool pair = IS_HIGH_SURROGATE(wide[at]) && at + 1 < wide.size();
    const int units = pair ? 2 : 1;
    const auto* character = reinterpret_cast<const wchar_t*>(wide.data() + at);
    BOOL defaulted = FALSE;
    const bool utf8_out = code_page == CP_UTF8;
    std::array<char, max_character_bytes> bytes{};
    const int size = WideCharToMultiByte(code_page, utf8_out ? 0 : WC_NO_BEST_FIT_CHARS, character,
                                         units, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, utf8_out ? nullptr : &defaulted);
    if (size <= 0 || defaulted != FALSE) {
      const char32_t point =
          pair ? first_paired_point +
                     (static_cast<char32_t>(wide[at] - high_surrogates) << surrogate_bits) +
                     (wide[at + 1] - low_surrogates)
               : wide[at];
      std::array<char, max_point_name> name{};
      std::snprintf(name.data(), name.size(), "U+%04X", static_cast<unsigned>(point));
      refused = name.data();
      return std::nullopt;
    }
    text.append(bytes.data(), static_cast<std::size_t>(size));
    at += static_cast<std::size_t>(units);
  }
  return text;
}

std::optional<std::string> encode_code_page(std::string_view text, unsigned code_page,
                                            std::string& refused) {
  std::optional<std::u16string> wide = decode_code_page(text, CP_UTF8);
  if (!wide) wide = decode_code_page(text, GetACP());
  if (!wide) return std::string(text);  // no character set of this system's: as it is
  return narrow_checked(*wide, code_page, refused);
}

std::wstring widen(std::string_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), size);
  return wide;
}

std::string narrow(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

std::string in_code_page(std::string_view utf8, unsigned code_page) {
  if (code_page == CP_UTF8) return std::string(utf8);
  std::string text;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::string_view character = utf8.substr(at, utf8_sequence(utf8.substr(at)));
    const std::optional<std::u16string> wide = decode_code_page(character, CP_UTF8);
    std::string refused;
    const std::optional<std::string> narrowed =
        wide ? narrow_checked(*wide, code_page, refused) : std::nullopt;
    text += narrowed ? *narrowed : ascii_spelling(character);
    at += character.size();
  }
  return text;
}

std::string for_output(std::string_view utf8) {
  return in_code_page(utf8, output_code_page());
}
