// Windows note paths. Kept apart so that the POSIX executables, which never
// compose one, do not carry the code page decoding it needs.
#include <algorithm>
#include <string>

#include "notefile/notefile.h"

namespace {

constexpr std::string_view windows_notes_folder = ":\\PSP\\GAME\\Velloran\\notes\\";
constexpr char16_t last_one_byte_character = 0xff;

}  // namespace

bool is_safe_windows_title(std::u16string_view title) {
  if (title.empty() || title.size() + note_extension.size() > max_file_name_length) return false;
  if (!std::ranges::all_of(title, [](char16_t c) { return is_allowed_in_title(c); })) return false;
  // Device names are spelt in Latin-1 at most: that stem, as bytes, goes
  // through the byte rule, which knows the superscripts as such bytes.
  const std::u16string_view stem = title.substr(0, title.find(u'.'));
  if (std::ranges::any_of(stem, [](char16_t c) { return c > last_one_byte_character; }))
    return true;
  std::string bytes;
  for (const char16_t c : stem) bytes.push_back(static_cast<char>(c));
  return !is_windows_device_name(bytes);
}

NotePath windows_note_path(std::string_view drive, std::string_view title, unsigned code_page) {
  NotePath path;
  path.text.append(drive).append(windows_notes_folder);
  path.folder = path.text;
  path.text.append(title).append(note_extension);
  // The title alone: decoded with the folder, a lone lead byte at its end
  // would swallow the dot of ".txt".
  std::optional<std::u16string> name = decode_code_page(title, code_page);
  path.usable = is_drive_letter(drive) && name && is_safe_windows_title(*name);
  if (path.usable)
    path.windows_name = *name + std::u16string(note_extension.begin(), note_extension.end());
  return path;
}
