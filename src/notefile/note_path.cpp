#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "notefile/notefile.h"

namespace {

// Separators, and what the card's FAT file system refuses in a name.
constexpr std::string_view refused_title_characters = "/\\:*?\"<>|";
constexpr char32_t first_printable = 0x20;  // below it: control characters
constexpr char32_t delete_character = 0x7f;

constexpr std::string_view posix_notes_folder = "/PSP/GAME/Velloran/notes/";
// Where WSL mounts the Windows drives: a letter alone means /mnt/<letter>.
constexpr std::string_view posix_drive_letter_root = "/mnt/";

// Names that open a device instead of a file on Windows, whatever follows the dot.
constexpr std::array<std::string_view, 6> windows_device_names = {"CON", "PRN",    "AUX",
                                                                  "NUL", "CONIN$", "CONOUT$"};
constexpr std::array<std::string_view, 2> windows_numbered_device_names = {"COM", "LPT"};
// Windows numbers those devices with superscripts too: as Windows-1252 bytes
// and as UTF-8.
constexpr std::array<std::string_view, 6> superscript_device_numbers = {
    "\xb9", "\xb2", "\xb3", "\xc2\xb9", "\xc2\xb2", "\xc2\xb3"};

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

bool is_device_number(std::string_view number) {
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') ||
         std::ranges::find(superscript_device_numbers, number) != superscript_device_numbers.end();
}

}  // namespace

bool is_windows_device_name(std::string_view stem) {
  const auto named = [](std::string_view text) {
    return [text](std::string_view name) { return equals_ignoring_case(text, name); };
  };
  if (std::ranges::any_of(windows_device_names, named(stem))) return true;
  return stem.size() > 3 && is_device_number(stem.substr(3)) &&
         std::ranges::any_of(windows_numbered_device_names, named(stem.substr(0, 3)));
}

bool is_safe_title(std::string_view title) {
  if (title.empty() || title.size() + note_extension.size() > max_file_name_length) return false;
  const auto allowed = [](char c) { return is_allowed_in_title(static_cast<unsigned char>(c)); };
  if (!std::ranges::all_of(title, allowed)) return false;
  return !is_windows_device_name(title.substr(0, title.find('.')));
}

bool is_drive_letter(std::string_view drive) {
  return drive.size() == 1 &&
         ((drive[0] >= 'A' && drive[0] <= 'Z') || (drive[0] >= 'a' && drive[0] <= 'z'));
}

bool is_allowed_in_title(char32_t c) {
  return c >= first_printable && c != delete_character &&
         (c > delete_character ||
          refused_title_characters.find(static_cast<char>(c)) == std::string_view::npos);
}

NotePath posix_note_path(std::string_view drive, std::string_view title) {
  NotePath path;
  if (is_drive_letter(drive)) {
    path.text.append(posix_drive_letter_root);
    path.text.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(drive[0]))));
  } else {
    // A mount point typed with a final slash must not double it.
    const auto last = drive.find_last_not_of('/');
    path.text.append(last == std::string_view::npos ? "" : drive.substr(0, last + 1));
  }
  path.text.append(posix_notes_folder);
  path.folder = path.text;
  path.text.append(title).append(note_extension);
  path.usable = !drive.empty() && drive.size() <= max_posix_path_length &&
                drive.find('\0') == std::string_view::npos &&
                path.text.size() <= max_posix_path_length && is_safe_title(title);
  return path;
}

NotePath build_note_path(std::string_view drive, std::string_view title) {
#ifdef _WIN32
  return windows_note_path(drive, title, title_code_page());
#else
  return posix_note_path(drive, title);
#endif
}

std::string temporary_name(unsigned long process_id, int attempt) {
  return ".notecreator-" + std::to_string(process_id) + "-" + std::to_string(attempt) + ".tmp";
}

std::string note_contents(const NoteDraft& draft) {
  return draft.comment + "\r\n\r\n" + draft.body;
}
