// The note creator: gathers one note through a short console dialogue.
#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/code_page.h"
#include "console/console.h"
#include "console/screen_fit.h"
#include "dialogue.h"
#include "messages/messages.h"
#include "note_draft.h"
#include "note_in_editor.h"
#include "notefile/notefile.h"
#include "notefile/text_file.h"
#include "options.h"

namespace {

constexpr unsigned welcome_pause_ms = 2000;

// ==== The summary ====

// The question to save, below the note as it will be written, and its
// hint. For people, a note without a comment shows no heading for one, and
// at a window of known size what is too long is cut to what leaves the
// question, the title and the hint in sight.
std::string summary_screen(const Dialogue& d, const NoteDraft& draft) {
  if (!d.lines)
    return std::string(d.texts.ask_save) + fill_format(d.texts.summary_title, draft.title) +
           fill_format(d.texts.summary_comment, draft.comment) +
           fill_format(d.texts.summary_note, draft.body);
  std::vector<ScreenPart> parts;
  add_lines(parts, d.texts.ask_save);
  add_field(parts, d.texts.summary_title, {ScreenPart::fixed, draft.title});
  if (!draft.comment.empty())
    add_field(
        parts, d.texts.summary_comment,
        {ScreenPart::cut, draft.comment, d.texts.more_comment_lines, d.texts.more_comment_line});
  add_field(parts, d.texts.summary_note,
            {ScreenPart::cut, lines_for_screen(draft.body), d.texts.more_lines, d.texts.more_line});
  add_lines(parts, d.texts.save_or_change);
  parts.push_back({ScreenPart::fixed, std::string(d.texts.answer_hint)});
  const std::optional<ScreenSize> size = screen_size(d.console);
  std::string screen = size ? fit_to_screen(parts, *size, output_is_utf8()) : joined(parts);
  screen.resize(screen.size() - d.texts.answer_hint.size());  // the question prints it
  return screen;
}

// ==== The dialogue ====

// The welcome, once a run.
void welcome(Dialogue& d) {
  if (d.welcomed) return;
  set_console_colours(d.console);
  print(d.console, d.texts.welcome);
  print(d.console, d.texts.banner);
  pause_ms(welcome_pause_ms);
  d.welcomed = true;
}

// The summary and the question to save it. A window resized while the
// question waits shows it again, fitted.
std::optional<SaveAnswer> ask_to_save(Dialogue& d, const NoteDraft& draft) {
  const auto draw = [&d, &draft] {
    clear_screen(d.console);
    const std::optional<ScreenSize> size = screen_size(d.console);
    print(d.console, summary_screen(d, draft));
    return size;
  };
  const std::optional<ScreenSize> drawn_for = draw();
  d.console.on_resize = [&d, &draw] {
    draw();
    print(d.console, d.texts.answer_hint);
  };
  watch_resizes(d.console, true);
  // Resized before the watch began: drawn again now.
  if (d.console.redraws && screen_size(d.console) != drawn_for) draw();
  const std::optional<SaveAnswer> answer = ask_save_or_change(d);
  watch_resizes(d.console, false);
  d.console.on_resize = nullptr;
  return answer;
}

// One part of the note asked again: the title (an empty line keeps it),
// the comment (an empty line removes it), or the note. False when the input
// ended or the user gave the note up.
bool change_note(Dialogue& d, NoteDraft& draft) {
  const std::optional<char> part = ask_part_to_change(d);
  if (!part) return false;
  std::optional<std::string> changed;
  if (*part == 't') changed = ask(d, Asked::changed_title, d.texts.ask_title, {}, draft.title);
  if (*part == 'c') changed = ask(d, Asked::changed_comment, d.texts.enter_comment);
  if (*part == 'n') changed = retake_note(d, draft.title, draft.body);
  if (!changed) return false;
  std::string& field = *part == 't' ? draft.title : *part == 'c' ? draft.comment : draft.body;
  field = std::move(*changed);
  return true;
}

// Fills the draft, from a file when one is given. True when the user asked
// for it to be saved; false on a no, or when input ended before the
// dialogue was through.
bool gather_note(Dialogue& d, NoteDraft& draft, const TextFile* given) {
  welcome(d);

  // A file's name is its title, asked for when it cannot be one.
  const TitleProblem problem = given != nullptr ? find_host_title_problem(given->title)
                                                : TitleProblem{TitleProblem::empty, {}};
  std::optional<std::string> title =
      problem.kind == TitleProblem::none
          ? given->title
          : ask(d, Asked::title, d.texts.ask_title,
                given != nullptr ? title_refusal(d.texts, problem) : std::exchange(d.notice, {}));
  if (!title) return false;
  draft.title = std::move(*title);

  clear_screen(d.console);
  print(d.console, d.texts.ask_comment);
  const std::optional<bool> wants_comment = ask_yes_no(d);
  if (!wants_comment) return false;
  if (*wants_comment) {
    std::optional<std::string> comment = ask(d, Asked::comment, d.texts.enter_comment);
    if (!comment) return false;
    draft.comment = std::move(*comment);
  }

  std::optional<std::string> body = given != nullptr ? given->text : take_note(d, draft.title);
  if (!body) return false;
  draft.body = std::move(*body);

  // For people, changed as often as they like before it is saved.
  for (;;) {
    const std::optional<SaveAnswer> answer = ask_to_save(d, draft);
    if (!answer) return false;
    d.declined = *answer == SaveAnswer::no;
    if (*answer != SaveAnswer::change) return *answer == SaveAnswer::yes;
    if (!change_note(d, draft)) return false;
  }
}

// Said to people when they gave up on the note: the program ends next.
void say_not_saved(Dialogue& d) {
  if (d.lines && d.declined) print(d.console, d.texts.not_saved);
}

// After a note saved: yes to write another. What was typed ahead, before
// the result could be read, answers nothing.
bool ask_another_note(Dialogue& d) {
  discard_typed_ahead(d.console);
  print(d.console, d.texts.another_note);
  return ask_yes_no(d).value_or(false);
}

// What a file that becomes no note says: its name, and why.
std::string file_passed_over(const MessageCatalogue& texts, const std::string& name,
                             const TextFile& file) {
  switch (file.fault) {
    case TextFile::Fault::unreadable:
      return fill_format(texts.file_unreadable, name) + file.why + "\n";
    case TextFile::Fault::too_long:
      return fill_format(texts.file_too_long, name);
    case TextFile::Fault::not_text:
    case TextFile::Fault::none:
      break;
  }
  return fill_format(texts.file_not_text, name);
}

// Started from Explorer or the Start menu, the window would close on the
// result: it waits for Enter first.
void close_when_read(Dialogue& d) {
  if (!window_closes_with_program()) return;
  print(d.console, d.texts.press_enter);
  (void)read_line(d.console, max_answer_length);
}

// ==== Saving ====

// Where the save step gives up: the input ended.
bool not_saved(Dialogue& d) {
  if (!d.console.input_failed) print_error(d.console, d.texts.not_saved);
  return false;
}

// Whether the note may go where a note of its name is: always, but for
// people, who are asked first. Nothing when the input has ended.
std::optional<bool> may_replace(Dialogue& d, const NotePath& path, std::string_view title,
                                std::string_view in_place) {
  if (!d.lines || !path.usable || title == in_place || !note_exists(path)) return true;
  clear_screen(d.console);
  print(d.console, d.texts.ask_replace, title);
  return ask_yes_no(d);
}

// Saves the note on the card the user names, asking again after each
// failure. A name the card refuses, or, for people, one that would replace a
// note they do not want replaced, asks for another title, and the note goes
// to the same card. A yes to replacing holds for that note on that card
// alone. A note changed on the card (in_place, its title) replaces itself
// without asking, on the card already answered (drive). True when saved.
bool save(Dialogue& d, NoteDraft& draft, std::optional<Answer> drive = {},
          std::string_view in_place = {}) {
  begin_answer(d.console);
  SaveResult last;
  for (;;) {
    if (!drive) drive = ask_for_card(d.console, d.texts, last, d.lines, d.card_used);
    if (!drive) return not_saved(d);
    // People may paste the notes folder itself, from a file manager.
    const std::string_view card =
        d.lines ? card_in_answer(drive->text, host_separator == '\\') : drive->text;
    const NotePath path = drive->too_long ? NotePath{} : build_note_path(card, draft.title);
    const std::optional<bool> replace = may_replace(d, path, draft.title, in_place);
    if (!replace) return not_saved(d);
    std::string refusal(d.texts.title_again);
    if (*replace) {
      // On the card, the note is no longer the draft's to keep.
      last = write_note_step(d.console, d.texts, *drive, path, draft, d.lines,
                             [&d] { let_go_of_draft(d, true); });
      if (last.fault == SaveFault::none) {
        d.card_used = card_spelling(path);
        return true;
      }
      if (last.fault != SaveFault::name_refused) {
        drive.reset();
        continue;
      }
      refusal = failure_line(d.texts, last);
    }
    std::optional<std::string> title = ask(d, Asked::title, d.texts.ask_title, refusal);
    if (!title) return not_saved(d);
    draft.title = std::move(*title);
    last = {};
  }
}

// ==== A note on the card, changed ====

// The card whose notes folder is there, asked for until one is; nothing
// when the input has ended. Its notes folder's path comes with it.
std::optional<std::pair<Answer, NotePath>> ask_for_notes_folder(Dialogue& d) {
  SaveResult last;
  for (;;) {
    std::optional<Answer> drive = ask_for_card(d.console, d.texts, last, true, d.card_used);
    if (!drive) return std::nullopt;
    const NotePath folder =
        build_note_path(card_in_answer(drive->text, host_separator == '\\'), "-");
    if (!drive->too_long && folder.usable && is_folder(folder.folder))
      return std::pair{std::move(*drive), folder};
    last = drive->too_long || !folder.usable ? SaveResult{SaveFault::no_card, drive->text}
                                             : find_missing_folder(folder, host_separator);
  }
}

// The note to change, by its number or its title; nothing when the input has ended.
std::optional<std::string> ask_which_note(Dialogue& d, const std::vector<std::string>& titles) {
  std::string refusal;
  begin_answer(d.console);
  for (;;) {
    clear_screen(d.console);
    if (!refusal.empty()) print_error(d.console, refusal);
    print(d.console, d.texts.ask_which_note);
    for (std::size_t i = 0; i < titles.size(); ++i)
      print(d.console, std::to_string(i + 1) + ": " + titles[i] + "\n");
    print(d.console, d.texts.which_note_hint);
    const std::optional<Answer> line = read_filled_line(d.console);
    if (!line) return std::nullopt;
    const std::string answer(trim_space(line->text));
    for (std::size_t i = 0; i < titles.size(); ++i)
      if (answer == std::to_string(i + 1) || answer == titles[i]) return titles[i];
    refusal = fill_format(d.texts.no_such_note, answer);
    if (!ask_again(d.console, line->text.size() + 1)) return std::nullopt;
  }
}

// --edit: a note on the card read back, its note changed in the editor (or
// as typed lines), and saved in place; under a new title, the old note goes.
int change_on_card(Dialogue& d) {
  welcome(d);
  std::optional<std::pair<Answer, NotePath>> card = ask_for_notes_folder(d);
  if (!card) return exit_ok;
  const std::vector<std::string> titles = notes_in_folder(card->second.folder);
  if (titles.empty()) {
    print(d.console, d.texts.no_notes);
    return exit_ok;
  }
  const std::optional<std::string> title = ask_which_note(d, titles);
  if (!title) return exit_ok;
  const std::string card_answer(card_in_answer(card->first.text, host_separator == '\\'));
  const NotePath old_path = build_note_path(card_answer, *title);
  std::string why;
  const std::optional<std::string> bytes = read_note(old_path, 2 * max_answer_length + 4, why);
  if (!bytes) {
    print_error(d.console, fill_format(d.texts.file_unreadable, *title + ".txt") + why + "\n");
    return exit_not_saved;
  }
  NoteDraft draft = note_from_contents(*bytes);
  draft.title = *title;
  std::optional<std::string> body = retake_note(d, draft.title, draft.body);
  if (body) draft.body = std::move(*body);
  // Changed as often as the user likes, then saved in place, or not changed.
  for (std::optional<SaveAnswer> answer; body;) {
    answer = ask_to_save(d, draft);
    if (!answer) break;
    if (*answer == SaveAnswer::change) {
      if (!change_note(d, draft)) break;
      continue;
    }
    if (*answer == SaveAnswer::no) {
      let_go_of_draft(d, true);
      print(d.console, d.texts.not_changed);
      return exit_ok;
    }
    if (!save(d, draft, card->first, *title)) break;
    const NotePath saved_path = build_note_path(d.card_used, *title);
    if (draft.title != *title && card_spelling(saved_path) == card_spelling(old_path) &&
        remove_note(old_path))
      print(d.console, d.texts.old_note_removed, *title);
    return exit_ok;
  }
  end_with_draft(d, false);
  if (d.declined) print(d.console, d.texts.not_changed);
  return d.declined ? exit_ok : exit_not_saved;
}

// Each file a note, one after another, as a typed one is, until the input
// ends. A file that cannot be one is named, with why, and passed over: those
// are said again at the end, where no clear takes them away. Not saved when
// any file did not become a note.
int notes_of_files(Dialogue& d, const std::vector<std::string>& files) {
  int status = exit_ok;
  std::string passed_over;
  for (const std::string& name : files) {
    const TextFile file = read_text_file(name);
    if (file.fault != TextFile::Fault::none) {
      const std::string why = file_passed_over(d.texts, name, file);
      print_error(d.console, why);
      passed_over += why;
      status = exit_not_saved;
      continue;
    }
    NoteDraft draft;
    const bool saved = gather_note(d, draft, &file) && save(d, draft);
    if (!saved) status = exit_not_saved;
    say_not_saved(d);
    end_with_draft(d, saved);
    if (!saved && !d.declined) break;  // the input ended
    d.declined = false;
  }
  if (!passed_over.empty() && d.console.interactive) print_error(d.console, passed_over);
  return status;
}

// Notes typed, one after another for people at a terminal. Not saved when
// a note the user asked to save was not.
int typed_notes(Dialogue& d) {
  const bool editor = d.editor;
  int status = exit_ok;
  for (bool another = true; another;) {
    NoteDraft draft;
    const bool asked_to_save = gather_note(d, draft, nullptr);
    const bool saved = asked_to_save && save(d, draft);
    if (asked_to_save && !saved) status = exit_not_saved;
    say_not_saved(d);
    end_with_draft(d, saved);
    const bool offer_another = saved && d.lines && d.console.interactive;
    another = offer_another && ask_another_note(d);
    // After a no to another note, the result has been read.
    if (asked_to_save && !offer_another) close_when_read(d);
    d.editor = editor;
    d.declined = false;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Console console = open_standard_console();
  const std::size_t argument_count = argc > 1 ? static_cast<std::size_t>(argc - 1) : 0;
  const std::span arguments(argv + 1, argument_count);
  // Started by a double-click, the program is for people.
  const bool lines =
      std::any_of(arguments.begin(), arguments.end(), names_lines) || window_closes_with_program();
  const MessageCatalogue& texts = lines ? people_texts() : catalogue;
  const Options options = read_options(console, texts, arguments);
  if (options.answered) return *options.answered;

  const bool editor = lines && console.interactive && !options.no_editor;
  console.redraws = lines && console.interactive;
  Dialogue dialogue{.console = console, .texts = texts, .lines = lines, .editor = editor};
  // The welcome's pause and the clear after it would take it away unread.
  if (console.redraws) dialogue.notice = options.unknown;
  // Files given to people (dropped on the program's icon) become notes one
  // after another; else, at a terminal, people may write one note after another.
  int status = exit_ok;
  if (options.edit || (lines && !options.files.empty())) {
    status = options.edit ? change_on_card(dialogue) : notes_of_files(dialogue, options.files);
    close_when_read(dialogue);
  } else {
    status = typed_notes(dialogue);
  }
  discard_typed_ahead(console);
  if (console.input_failed) {
    print_error(console, texts.read_failed);
    return exit_input_failed;
  }
  return status;
}
