#include "notefile/notefile.h"

namespace {

constexpr unsigned before_closing_line_ms = 500;
constexpr unsigned after_closing_line_ms = 1500;

}  // namespace

bool save_note(Console& console, const MessageCatalogue& texts, const NoteDraft& draft) {
  clear_screen(console);
  print(console, texts.ask_drive);
  // One byte past the bound, so that the path rules see a drive that does not
  // fit and refuse it rather than use a cut one.
  const std::optional<std::string> drive = read_word(console, max_drive_length + 1);
  if (!drive) return false;

  clear_screen(console);
  print(console, texts.creating);
  const NotePath path = build_note_path(*drive, draft.title);
  const bool saved = path.usable && write_note_file(path, draft);
  pause_ms(before_closing_line_ms);
  if (saved)
    print(console, texts.done);
  else
    print_error(console, texts.save_failed, path.text);
  pause_ms(after_closing_line_ms);
  return saved;
}
