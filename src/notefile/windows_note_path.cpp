// Windows note paths. Kept apart so that the POSIX executables, which never
// compose one, do not carry the code page decoding it needs.
#include <algorithm>
#include <string>

#include "notefile/notefile.h"

namespace {

constexpr std::string_view windows_notes_folder = "\\PSP\\GAME\\Velloran\\notes\\";
constexpr char16_t last_one_byte_character = 0xff;

}  // namespace

TitleProblem find_windows_title_problem(std::u16string_view title) {
  if (title.empty()) return {TitleProblem::empty, {}};
  if (title.size() + note_extension.size() > max_file_name_length)
    return {TitleProblem::too_long, {}};
  for (const char16_t c : title) {
    if (is_control_character(c)) return {TitleProblem::control, {}};
    if (!is_allowed_in_title(c))
      return {TitleProblem::character, std::string(1, static_cast<char>(c))};
  }
  // Device names are spelt in Latin-1 at most: that stem, as bytes, goes
  // through the byte rule, which knows the superscripts as such bytes.
  const std::u16string_view stem = title.substr(0, title.find(u'.'));
  if (std::ranges::any_of(stem, [](char16_t c) { return c > last_one_byte_character; })) return {};
  std::string bytes;
  for (const char16_t c : stem) bytes.push_back(static_cast<char>(c));
  if (is_windows_device_name(bytes)) return {TitleProblem::device_name, bytes};
  return {};
}

NotePath windows_note_path(std::string_view drive, std::string_view title, unsigned code_page) {
  NotePath path;
  const std::optional<char> letter = named_drive_letter(drive);
  // An answer that names no drive is shown as it was typed.
  path.card = letter ? std::string(1, *letter) + ":" : std::string(drive);
  path.text = path.card;
  path.text.append(windows_notes_folder);
  path.folder = path.text;
  path.text.append(title).append(note_extension);
  // The title alone: decoded with the folder, a lone lead byte at its end
  // would swallow the dot of ".txt".
  std::optional<std::u16string> name = decode_code_page(title, code_page);
  if (!letter)
    path.fault = SaveFault::no_card;
  else if (!name || find_windows_title_problem(*name).kind != TitleProblem::none)
    path.fault = SaveFault::other;
  path.usable = path.fault == SaveFault::none;
  if (path.usable)
    path.windows_name = *name + std::u16string(note_extension.begin(), note_extension.end());
  return path;
}
