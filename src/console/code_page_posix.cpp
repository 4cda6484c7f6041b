// Windows code pages read on POSIX hosts, with iconv: the Windows path rules
// can then be tried here as they run there.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "console/code_page.h"

namespace {

constexpr unsigned utf8_code_page = 65001;
constexpr unsigned bits_per_byte = 8;
constexpr std::size_t max_character_bytes = 8;
// iconv_open's own way of saying it has no such conversion.
const iconv_t no_conversion = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

// Frees the conversion when it goes out of scope.
struct Conversion {
  iconv_t handle;
  explicit Conversion(const std::string& from) : handle(iconv_open("UTF-16LE", from.c_str())) {}
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;
  ~Conversion() {
    if (handle != no_conversion) iconv_close(handle);
  }
};

}  // namespace

std::optional<std::u16string> decode_code_page(std::string_view bytes, unsigned code_page) {
  const Conversion conversion(code_page == utf8_code_page ? "UTF-8"
                                                          : "CP" + std::to_string(code_page));
  if (conversion.handle == no_conversion) return std::nullopt;
  std::string in(bytes);
  std::string out(bytes.size() * 4 + 4, '\0');  // at most two UTF-16 units a byte
  char* in_at = in.data();
  char* out_at = out.data();
  std::size_t in_left = in.size();
  std::size_t out_left = out.size();
  if (iconv(conversion.handle, &in_at, &in_left, &out_at, &out_left) ==
      static_cast<std::size_t>(-1))
    return std::nullopt;  // an invalid or cut sequence
  std::u16string decoded;
  for (const char* at = out.data(); at < out_at; at += 2)
    decoded.push_back(static_cast<char16_t>(static_cast<unsigned char>(at[0]) |
                                            static_cast<unsigned char>(at[1]) << bits_per_byte));
  return decoded;
}

std::string in_code_page(std::string_view utf8, unsigned code_page) {
  if (code_page == utf8_code_page) return std::string(utf8);
  const iconv_t handle = iconv_open(("CP" + std::to_string(code_page)).c_str(), "UTF-8");
  if (handle == no_conversion) return ascii_spelling(utf8);
  std::string text;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = utf8_sequence(utf8.substr(at));
    std::string in(utf8.substr(at, length));
    std::string out(max_character_bytes, '\0');
    char* in_at = in.data();
    char* out_at = out.data();
    std::size_t in_left = in.size();
    std::size_t out_left = out.size();
    if (iconv(handle, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1))
      text += ascii_spelling(in);
    else
      text.append(out.data(), out.size() - out_left);
    at += length;
  }
  iconv_close(handle);
  return text;
}

std::string for_output(std::string_view utf8) {
  return locale_is_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"))
             ? std::string(utf8)
             : ascii_spelling(utf8);
}

bool output_is_utf8() {
  return true;
}

std::string for_error_stream(std::string_view text) {
  return std::string(text);
}
