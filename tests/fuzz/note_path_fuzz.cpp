// Any bytes as drive and title: the path rules either refuse them, or give a
// path whose folder is exactly the card's notes folder and whose file name is
// exactly the title with ".txt", a name no file system reads as anything else.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "notefile/notefile.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

bool is_device(std::string stem) {
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
      stem == "CONOUT$")
    return true;
  if (!stem.starts_with("COM") && !stem.starts_with("LPT")) return false;
  const std::string number = stem.substr(3);
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xb9" ||
         number == "\xb2" || number == "\xb3" || number == "\xc2\xb9" || number == "\xc2\xb2" ||
         number == "\xc2\xb3";
}

// What any accepted title must be as a file name on the card.
void require_plain_file_name(std::string_view title, std::string_view name) {
  require(name == std::string(title) + ".txt");
  require(name.size() <= 255 && !title.empty());
  for (const char ch : title) {
    const auto c = static_cast<unsigned char>(ch);
    require(c >= 0x20 && c != 0x7f &&
            std::string_view("/\\:*?\"<>|").find(ch) == std::string_view::npos);
  }
  require(!is_device(std::string(title.substr(0, title.find('.')))));
}

// The letter a drive answer names: E, E:, E:\ and E:/ name E.
std::optional<char> letter_of(std::string_view drive) {
  if (drive.empty()) return std::nullopt;
  const char lower = static_cast<char>(drive[0] | 0x20);
  const std::string_view rest = drive.substr(1);
  if (lower < 'a' || lower > 'z') return std::nullopt;
  if (rest.empty() || rest == ":" || rest == ":\\" || rest == ":/") return drive[0];
  return std::nullopt;
}

std::string posix_mount(std::string_view drive) {
  if (const auto letter = letter_of(drive))
    return "/mnt/" + std::string(1, static_cast<char>(*letter | 0x20));
  std::string mount(drive);
  while (!mount.empty() && mount.back() == '/') mount.pop_back();
  return mount;
}

}  // namespace

// The first byte is the drive's length; then the drive; the rest is the title.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string_view drive = bytes.substr(0, std::min<std::size_t>(data[0], bytes.size()));
  const std::string_view title = bytes.substr(drive.size());

  // Windows-1252 decodes each byte to one character, so the name is the
  // title's bytes again; UTF-8 titles must decode whole or be refused.
  const NotePath windows = windows_note_path(drive, title, 1252);
  const auto letter = letter_of(drive);
  // An answer that names no drive stays as typed.
  const std::string card = letter ? std::string(1, *letter) + ":" : std::string(drive);
  require(windows.text == card + "\\PSP\\GAME\\Velloran\\notes\\" + std::string(title) + ".txt");
  if (windows.usable) {
    require(letter.has_value());
    require(windows.folder == card + "\\PSP\\GAME\\Velloran\\notes\\");
    require(windows.windows_name.size() == title.size() + 4);
    require_plain_file_name(title, std::string(title) + ".txt");
  }
  const NotePath utf8 = windows_note_path("E", title, 65001);
  if (utf8.usable)
    for (const char16_t c : utf8.windows_name) require(c >= 0x20 && c != 0x7f && c != 0xfffd);

  const NotePath posix = posix_note_path(drive, title);
  if (posix.usable) {
    const auto split = posix.text.rfind('/');
    require(posix.text.find('\0') == std::string::npos && posix.text.size() < 4096);
    require(posix.text.substr(0, split) == posix_mount(drive) + "/PSP/GAME/Velloran/notes");
    require_plain_file_name(title, std::string_view(posix.text).substr(split + 1));
  }
  return 0;
}
