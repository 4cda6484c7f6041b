#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
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
// What may follow a drive letter in an answer that names that drive.
constexpr std::array<std::string_view, 4> drive_letter_endings = {"", ":", ":\\", ":/"};

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

TitleProblem find_title_problem(std::string_view title) {
  if (title.empty()) return {TitleProblem::empty, {}};
  if (title.size() + note_extension.size() > max_file_name_length)
    return {TitleProblem::too_long, {}};
  for (const char c : title) {
    const auto byte = static_cast<unsigned char>(c);
    if (is_control_character(byte)) return {TitleProblem::control, {}};
    if (!is_allowed_in_title(byte)) return {TitleProblem::character, std::string(1, c)};
  }
  const std::string_view stem = title.substr(0, title.find('.'));
  if (is_windows_device_name(stem)) return {TitleProblem::device_name, std::string(stem)};
  return {};
}

bool is_safe_title(std::string_view title) {
  return find_title_problem(title).kind == TitleProblem::none;
}

bool is_drive_letter(std::string_view drive) {
  return drive.size() == 1 &&
         ((drive[0] >= 'A' && drive[0] <= 'Z') || (drive[0] >= 'a' && drive[0] <= 'z'));
}

std::optional<char> named_drive_letter(std::string_view answer) {
  // What Explorer shows (E:), and the root of that drive (E:\ or E:/).
  for (const std::string_view after_letter : drive_letter_endings)
    if (answer.size() == 1 + after_letter.size() && answer.substr(1) == after_letter &&
        is_drive_letter(answer.substr(0, 1)))
      return answer[0];
  return std::nullopt;
}

std::string_view card_in_answer(std::string_view answer, bool windows) {
  const auto is_separator = [windows](char c) { return c == '/' || (windows && c == '\\'); };
  const auto same = [windows](char a, char b) {
    return a == b || (windows && std::tolower(static_cast<unsigned char>(a)) ==
                                     std::tolower(static_cast<unsigned char>(b)));
  };
  std::string_view rest = answer;
  while (!rest.empty() && is_separator(rest.back())) rest.remove_suffix(1);
  for (auto folder = notes_folders.rbegin(); folder != notes_folders.rend(); ++folder) {
    if (rest.size() < folder->size() ||
        !std::equal(folder->begin(), folder->end(), rest.end() - folder->size(), same))
      return answer;
    rest.remove_suffix(folder->size());
    if (folder + 1 != notes_folders.rend()) {
      if (rest.empty() || !is_separator(rest.back())) return answer;
      rest.remove_suffix(1);
    }
  }
  // What stands before it: a card's root, or, typed from the card's own root, the current folder.
  if (rest.empty()) return ".";
  if (!is_separator(rest.back())) return answer;
  while (rest.size() > 1 && is_separator(rest.back())) rest.remove_suffix(1);
  return rest;
}

bool is_control_character(char32_t c) {
  return c < first_printable || c == delete_character;
}

bool is_allowed_in_title(char32_t c) {
  return !is_control_character(c) &&
         (c > delete_character ||
          refused_title_characters.find(static_cast<char>(c)) == std::string_view::npos);
}

NotePath posix_note_path(std::string_view drive, std::string_view title, std::string_view home) {
  NotePath path;
  if (const std::optional<char> letter = named_drive_letter(drive)) {
    path.card.append(posix_drive_letter_root);
    path.card.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*letter))));
  } else {
    std::string mount(drive);
    if (!home.empty() && (drive == "~" || drive.starts_with("~/"))) mount.replace(0, 1, home);
    // A mount point typed with a final slash must not double it.
    const auto last = mount.find_last_not_of('/');
    path.card = last == std::string::npos ? "" : mount.substr(0, last + 1);
  }
  path.text = path.card;
  path.text.append(posix_notes_folder);
  path.folder = path.text;
  path.text.append(title).append(note_extension);
  if (drive.empty() || drive.find('\0') != std::string_view::npos)
    path.fault = SaveFault::no_card;
  else if (drive.size() > max_posix_path_length || path.text.size() > max_posix_path_length)
    path.fault = SaveFault::path_too_long;
  else if (!is_safe_title(title))
    path.fault = SaveFault::other;
  path.usable = path.fault == SaveFault::none;
  return path;
}

NotePath build_note_path(std::string_view drive, std::string_view title) {
#ifdef _WIN32
  return windows_note_path(drive, title, title_code_page());
#else
  const char* home = std::getenv("HOME");
  return posix_note_path(drive, title, home != nullptr ? home : "");
#endif
}

TitleProblem find_host_title_problem(std::string_view title) {
#ifdef _WIN32
  const std::optional<std::u16string> name = decode_code_page(title, title_code_page());
  if (!name) return {TitleProblem::not_in_code_page, {}};
  TitleProblem problem = find_windows_title_problem(*name);
  // Shown as typed, in the console's own code page.
  if (problem.kind == TitleProblem::device_name)
    problem.what = std::string(title.substr(0, title.find('.')));
  return problem;
#else
  return find_title_problem(title);
#endif
}

std::string temporary_name(unsigned long process_id, int attempt) {
  return ".notecreator-" + std::to_string(process_id) + "-" + std::to_string(attempt) + ".tmp";
}

NoteDraft note_from_contents(std::string_view bytes) {
  constexpr std::string_view utf8_mark = "\xef\xbb\xbf";
  constexpr std::string_view separator = "\r\n\r\n";
  if (bytes.starts_with(utf8_mark)) bytes.remove_prefix(utf8_mark.size());
  const std::size_t at = bytes.find(separator);
  if (at == std::string_view::npos) return {{}, {}, std::string(bytes)};
  return {{}, std::string(bytes.substr(0, at)), std::string(bytes.substr(at + separator.size()))};
}

std::string note_contents(const NoteDraft& draft) {
  return draft.comment + "\r\n\r\n" + draft.body;
}
