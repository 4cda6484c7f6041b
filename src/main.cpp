// The note creator: gathers one note through a short console dialogue.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "console/console.h"
#include "messages/messages.h"
#include "note_draft.h"
#include "notefile/notefile.h"

namespace {

constexpr int exit_ok = 0;
constexpr int exit_not_saved = 1;           // the user asked to save, and the note was not saved
constexpr int exit_input_failed = 2;        // standard input could not be read (not its end)
constexpr int exit_answer_not_written = 1;  // --help or --version could not write its answer
constexpr unsigned welcome_pause_ms = 2000;

// Asked after the caller printed the question. Nothing when input has ended.
std::optional<bool> ask_yes_no(Console& console, const MessageCatalogue& texts) {
  // Drop what ended the previous word (normally its line feed), so the hint
  // and the answer stand on a fresh line.
  if (!skip_word_terminator(console)) return std::nullopt;
  print(console, texts.answer_hint);
  const std::optional<char> answer = read_char(console);
  if (!answer) return std::nullopt;
  return *answer == texts.yes_letter;
}

// Clears the screen, shows the prompt and reads one word; nothing when input
// has ended.
std::optional<std::string> ask_word(Console& console, std::string_view prompt,
                                    std::size_t max_length) {
  clear_screen(console);
  print(console, prompt);
  return read_word(console, max_length);
}

// Fills the draft. True when the user asked for it to be saved; false on a
// no, or when input ended before the dialogue was through.
bool gather_note(Console& console, const MessageCatalogue& texts, NoteDraft& draft) {
  set_console_colours(console);
  print(console, texts.welcome);
  print(console, texts.banner);
  pause_ms(welcome_pause_ms);

  std::optional<std::string> title = ask_word(console, texts.ask_title, max_title_length);
  if (!title) return false;
  draft.title = std::move(*title);

  clear_screen(console);
  print(console, texts.ask_comment);
  const std::optional<bool> wants_comment = ask_yes_no(console, texts);
  if (!wants_comment) return false;
  if (*wants_comment) {
    std::optional<std::string> comment = ask_word(console, texts.enter_comment, max_comment_length);
    if (!comment) return false;
    draft.comment = std::move(*comment);
  }

  std::optional<std::string> body = ask_word(console, texts.enter_note, max_body_length);
  if (!body) return false;
  draft.body = std::move(*body);

  clear_screen(console);
  print(console, texts.ask_save);
  print(console, texts.summary_title, draft.title);
  print(console, texts.summary_comment, draft.comment);
  print(console, texts.summary_note, draft.body);
  const std::optional<bool> wants_save = ask_yes_no(console, texts);
  return wants_save.value_or(false);
}

// --help and --version (-h, -V) answer and end the program, with status 1
// when the answer could not be written; any other argument is ignored, as it
// always was. Nothing when none of them was given.
std::optional<int> answer_option(Console& console, std::span<char*> arguments) {
  for (const std::string_view argument : arguments) {
    bool written = false;
    if (argument == "--version" || argument == "-V")
      written = print(console, "%s " NOTECREATOR_VERSION "\n", NOTECREATOR_PROGRAM);
    else if (argument == "--help" || argument == "-h")
      written = print(console, catalogue.usage, NOTECREATOR_PROGRAM);
    else
      continue;
    return written ? exit_ok : exit_answer_not_written;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  Console console = open_standard_console();
  const std::size_t argument_count = argc > 1 ? static_cast<std::size_t>(argc - 1) : 0;
  const std::optional<int> answered = answer_option(console, std::span(argv + 1, argument_count));
  if (answered) return *answered;
  NoteDraft draft;
  int status = exit_ok;
  if (gather_note(console, catalogue, draft))
    status = save_note(console, catalogue, draft) ? exit_ok : exit_not_saved;
  if (console.input_failed) {
    print_error(console, catalogue.read_failed);
    return exit_input_failed;
  }
  return status;
}
