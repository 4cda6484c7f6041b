#include "notefile/notefile.h"

namespace {

constexpr unsigned before_closing_line_ms = 500;
constexpr unsigned after_closing_line_ms = 1500;

std::string_view failure_line(const MessageCatalogue& texts, SaveFault fault) {
  switch (fault) {
    case SaveFault::no_card:
      return texts.save_no_card;
    case SaveFault::no_notes_folder:
      return texts.save_no_notes_folder;
    case SaveFault::read_only:
      return texts.save_read_only;
    case SaveFault::full:
      return texts.save_full;
    case SaveFault::path_too_long:
      return texts.save_path_too_long;
    case SaveFault::none:
    case SaveFault::other:
      break;
  }
  return texts.save_failed;
}

// The rest of the line, without the whitespace around it. Empty lines before
// it are passed over, unless an empty line is an answer (it takes a card found).
std::optional<Answer> read_drive(Console& console, bool empty_is_an_answer) {
  if (!empty_is_an_answer) skip_whitespace(console);
  std::optional<Answer> answer = read_line(console, max_posix_path_length);
  if (answer) answer->text = std::string(trim_space(answer->text));
  return answer;
}

SaveResult save_once(const Answer& drive, const NoteDraft& draft) {
  // Longer than any path, so not a place on any card: shown cut.
  if (drive.too_long) return {SaveFault::path_too_long, drive.text + "..."};
  const NotePath path = build_note_path(drive.text, draft.title);
  if (!path.usable) return {path.fault, path.fault == SaveFault::no_card ? path.card : path.text};
  return write_note_file(path, draft);
}

}  // namespace

SaveResult find_missing_folder(const NotePath& path, char separator) {
  std::string at = path.card + separator;
  if (!is_folder(at)) return {SaveFault::no_card, path.card.empty() ? at : path.card};
  for (std::size_t i = 0; i < notes_folders.size(); ++i) {
    if (i > 0) at.push_back(separator);
    at.append(notes_folders[i]);
    if (!is_folder(at)) return {SaveFault::no_notes_folder, at};
  }
  return {SaveFault::other, path.text};
}

bool save_note(Console& console, const MessageCatalogue& texts, const NoteDraft& draft,
               bool look_for_card) {
  std::optional<std::string> found;
  if (look_for_card) {
    std::vector<std::string> cards = find_cards();
    if (cards.size() == 1) found = std::move(cards.front());
  }
  SaveResult last;
  for (;;) {
    clear_screen(console);
    // Why the last answer failed, where the user types the next one.
    if (last.fault != SaveFault::none)
      print_error(console, failure_line(texts, last.fault), last.detail);
    print(console, texts.ask_drive);
    if (found) print(console, texts.card_found, *found);
    std::optional<Answer> drive = read_drive(console, found.has_value());
    if (drive && found && drive->text.empty() && !drive->too_long) drive->text = *found;
    if (!drive) {
      if (!console.input_failed) print_error(console, texts.not_saved);
      return false;
    }
    clear_screen(console);
    print(console, texts.creating);
    last = save_once(*drive, draft);
    pause_ms(before_closing_line_ms);
    if (last.fault == SaveFault::none) {
      print(console, texts.done);
      pause_ms(after_closing_line_ms);
      return true;
    }
  }
}
