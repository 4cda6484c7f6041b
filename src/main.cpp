// The note creator: gathers one note through a short console dialogue.
#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "console/console.h"
#include "console/editor.h"
#include "messages/messages.h"
#include "note_draft.h"
#include "notefile/notefile.h"

namespace {

constexpr int exit_ok = 0;
constexpr int exit_not_saved = 1;           // the user asked to save, and the note was not saved
constexpr int exit_input_failed = 2;        // standard input could not be read (not its end)
constexpr int exit_answer_not_written = 1;  // --help or --version could not write its answer
constexpr unsigned welcome_pause_ms = 2000;

// The dialogue's side of a run: where it talks, in which language, and
// whether each answer is a word (as it always was) or a whole line.
struct Dialogue {
  Console& console;
  const MessageCatalogue& texts;
  bool lines = false;
  bool editor = false;         // the note is written in the user's editor
  std::optional<Draft> draft;  // its draft file, while it holds the only copy of the note
  bool declined = false;       // the user answered no to saving
};

// ==== Questions ====

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The one yes rule: the build's yes letter, exactly. A whole line is also
// yes when, without the blanks around it, it is that letter or the yes word
// in any case.
bool is_yes(std::string_view answer, const MessageCatalogue& texts, bool whole_line) {
  const std::string_view letter(&texts.yes_letter, 1);
  if (!whole_line) return answer == letter;
  const std::string_view trimmed = trim_space(answer);
  return equals_ignoring_case(trimmed, letter) || equals_ignoring_case(trimmed, texts.yes_word);
}

// A whole line that says no: n, or the no word, in any case.
bool is_no(std::string_view answer, const MessageCatalogue& texts) {
  const std::string_view trimmed = trim_space(answer);
  return equals_ignoring_case(trimmed, "n") || equals_ignoring_case(trimmed, texts.no_word);
}

// A note of several lines, one line a screen line.
std::string lines_for_screen(std::string_view body) {
  std::string shown;
  for (std::size_t at = 0; at < body.size(); ++at) {
    if (body.substr(at, 2) == "\r\n") continue;  // its LF follows
    shown.push_back(body[at]);
  }
  return shown;
}

// The next line that holds more than blanks; nothing when input has ended.
std::optional<Answer> read_filled_line(Console& console) {
  for (;;) {
    std::optional<Answer> line = read_line(console, max_answer_length);
    if (!line || line->too_long || !trim_space(line->text).empty()) return line;
    if (!pass_over(console, line->text.size() + 1)) return std::nullopt;
  }
}

// Asked after the caller printed the question. Nothing when input has ended.
// A whole line is yes or no in so many words: anything else is refused and
// the question asked again, so that a slip never throws a note away.
std::optional<bool> ask_yes_no(Dialogue& d) {
  begin_answer(d.console);
  if (d.lines) {
    for (;;) {
      print(d.console, d.texts.answer_hint);
      const std::optional<Answer> line = read_filled_line(d.console);
      if (!line) return std::nullopt;
      if (!line->too_long && is_yes(line->text, d.texts, true)) return true;
      if (!line->too_long && is_no(line->text, d.texts)) return false;
      if (!pass_over(d.console, line->text.size() + 1)) return std::nullopt;
      print_error(d.console, d.texts.answer_yes_or_no);
    }
  }
  // Drop what ended the previous word (normally its line feed), so the hint
  // and the answer stand on a fresh line.
  if (!skip_word_terminator(d.console)) return std::nullopt;
  print(d.console, d.texts.answer_hint);
  const std::optional<char> answer = read_char(d.console);
  if (!answer) return std::nullopt;
  return is_yes(std::string_view(&*answer, 1), d.texts, false);
}

// The note in lines: the lines up to an empty one, joined by CR LF as every
// line break of a note is. The first is the first that is not empty.
std::optional<Answer> read_note_lines(Console& console) {
  std::optional<Answer> note = read_filled_line(console);
  if (!note) return note;
  for (std::optional<Answer> line;
       (line = read_line(console, max_answer_length)) && (line->too_long || !line->text.empty());) {
    note->cut = note->cut || line->cut;
    note->too_long = note->too_long || line->too_long ||
                     note->text.size() + 2 + line->text.size() > max_answer_length;
    if (!note->too_long)
      note->text.append("\r\n").append(line->text);
    else if (!pass_over(console, line->text.size() + 1))
      break;  // taken as the end of input: the note is refused as too long
  }
  if (console.input_failed) return std::nullopt;
  return note;
}

enum class Asked { title, comment, note };

std::optional<Answer> read_answer(Dialogue& d, Asked asked) {
  begin_answer(d.console);
  if (!d.lines) return read_word(d.console, max_answer_length);
  if (asked == Asked::note) return read_note_lines(d.console);
  // At a terminal an empty line is no comment: the question was a yes, but
  // the person may have thought better of it.
  if (asked == Asked::comment && d.console.interactive)
    return read_line(d.console, max_answer_length);
  std::optional<Answer> line = read_filled_line(d.console);
  if (line && asked == Asked::title) line->text = std::string(trim_space(line->text));
  return line;
}

// What is wrong with a title, in the user's words; empty when nothing is.
std::string title_refusal(const MessageCatalogue& texts, const TitleProblem& problem) {
  switch (problem.kind) {
    case TitleProblem::none:
    case TitleProblem::empty:  // never typed: an empty answer is passed over
      return {};
    case TitleProblem::too_long:
      return std::string(texts.title_too_long);
    case TitleProblem::character:
      return fill_format(texts.title_character, problem.what);
    case TitleProblem::control:
      return std::string(texts.title_control);
    case TitleProblem::device_name:
      return fill_format(texts.title_device, problem.what);
    case TitleProblem::not_in_code_page:
      return std::string(texts.title_code_page);
  }
  return {};
}

// Clears the screen, shows the prompt and reads an answer, until one is
// taken: a longer one than there is room for, or a title that cannot name a
// note, is refused with a line that says why, and the question asked again.
// Nothing when input has ended. A refusal given is shown the first time.
std::optional<std::string> ask(Dialogue& d, Asked asked, std::string_view prompt,
                               std::string refusal = {}) {
  for (;;) {
    clear_screen(d.console);
    // Where the user types the answer again.
    if (!refusal.empty()) print_error(d.console, refusal);
    print(d.console, prompt);
    if (asked == Asked::note && d.lines) print(d.console, d.texts.note_ends_hint);
    std::optional<Answer> answer = read_answer(d, asked);
    if (!answer) return std::nullopt;
    TitleProblem problem;
    if (answer->too_long)
      problem.kind = TitleProblem::too_long;
    else if (asked == Asked::title)
      problem = find_host_title_problem(answer->text);
    if (answer->cut)
      refusal = d.texts.line_cut;
    else if (problem.kind == TitleProblem::none)
      return std::move(answer->text);
    else
      refusal = asked == Asked::title ? title_refusal(d.texts, problem) : d.texts.answer_too_long;
  }
}

// ==== The note in an editor ====

// Says where the draft is, should the program end before the note is saved.
void keep_draft(Dialogue& d, std::optional<Draft> draft) {
  d.draft = std::move(draft);
  set_last_words(d.draft ? fill_format(d.texts.draft_kept, d.draft->shown) : std::string());
}

// The draft read back after the editor, until it holds a note: an empty one
// waits for Enter and is read again, then the editor opens again; one that
// is too long, or holds a character the note cannot, opens it again.
// Nothing when the editor cannot be used (why, in fallback) or input ended.
std::optional<std::string> note_in_editor(Dialogue& d, const Editor& editor,
                                          std::string& fallback) {
  std::string refusal;
  for (;;) {
    clear_screen(d.console);
    if (!refusal.empty()) print_error(d.console, refusal);
    print(d.console, d.texts.enter_note);
    print(d.console, d.texts.editor_hint, editor.name);
    const EditorEnd end = run_editor(d.console, editor, *d.draft);
    if (end != EditorEnd::ended) {
      fallback =
          fill_format(end == EditorEnd::failed ? d.texts.editor_failed : d.texts.editor_not_started,
                      editor.name);
      return std::nullopt;
    }
    DraftNote note = read_draft(*d.draft, max_answer_length);
    if (!note.unreadable && note.refused.empty() && !note.too_long && note.text.empty()) {
      print(d.console, d.texts.draft_empty);
      begin_answer(d.console);
      if (!read_line(d.console, max_answer_length)) return std::nullopt;
      note = read_draft(*d.draft, max_answer_length);
    }
    if (note.unreadable) {
      fallback = fill_format(d.texts.draft_unreadable, d.draft->shown);
      return std::nullopt;
    }
    if (!note.refused.empty())
      refusal = fill_format(d.texts.draft_character, note.refused);
    else if (note.too_long)
      refusal = d.texts.answer_too_long;
    else if (!note.text.empty())
      return std::move(note.text);
    else
      refusal.clear();
  }
}

// The one place that picks how the note is taken: in the user's editor, at
// a terminal, or else as typed lines (or a word).
std::optional<std::string> take_note(Dialogue& d, std::string_view title) {
  std::string fallback;
  if (d.editor) {
    const std::optional<Editor> editor = choose_editor();
    if (!editor) fallback = d.texts.no_editor;
    if (editor && !d.draft) keep_draft(d, make_draft(title));
    if (editor && !d.draft) fallback = d.texts.draft_not_made;
    if (fallback.empty()) {
      std::optional<std::string> note = note_in_editor(d, *editor, fallback);
      if (note || fallback.empty()) return note;  // a note, or the input ended
    }
    d.editor = false;
  }
  return ask(d, Asked::note, d.texts.enter_note, fallback);
}

// ==== The dialogue ====

// Fills the draft. True when the user asked for it to be saved; false on a
// no, or when input ended before the dialogue was through.
bool gather_note(Dialogue& d, NoteDraft& draft) {
  set_console_colours(d.console);
  print(d.console, d.texts.welcome);
  print(d.console, d.texts.banner);
  pause_ms(welcome_pause_ms);

  std::optional<std::string> title = ask(d, Asked::title, d.texts.ask_title);
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

  std::optional<std::string> body = take_note(d, draft.title);
  if (!body) return false;
  draft.body = std::move(*body);

  clear_screen(d.console);
  print(d.console, d.texts.ask_save);
  print(d.console, d.texts.summary_title, draft.title);
  print(d.console, d.texts.summary_comment, draft.comment);
  print(d.console, d.texts.summary_note, lines_for_screen(draft.body));
  const std::optional<bool> wants_save = ask_yes_no(d);
  d.declined = wants_save == false;
  return wants_save.value_or(false);
}

// ==== Saving ====

// Saves the draft on the card the user names. A name the card refuses, or,
// for people, one that would replace a note, asks for another title, and the
// note goes to the same card. True when saved.
bool save(Dialogue& d, NoteDraft& draft) {
  SaveEnd end = save_note(d.console, d.texts, draft, d.lines);
  while (end.how == SaveEnd::name_refused || end.how == SaveEnd::note_exists) {
    bool replace = false;
    if (end.how == SaveEnd::note_exists) {
      clear_screen(d.console);
      print(d.console, d.texts.ask_replace, draft.title);
      const std::optional<bool> yes = ask_yes_no(d);
      if (!yes) break;
      replace = *yes;
    }
    if (!replace) {
      std::optional<std::string> title = ask(d, Asked::title, d.texts.ask_title, end.refusal);
      if (!title) break;
      draft.title = std::move(*title);
    }
    end = save_note(d.console, d.texts, draft, d.lines, end.drive, replace);
  }
  if (end.how == SaveEnd::name_refused || end.how == SaveEnd::note_exists) {
    if (!d.console.input_failed) print_error(d.console, d.texts.not_saved);
    return false;
  }
  return end.how == SaveEnd::saved;
}

// ==== Options ====

struct Options {
  std::optional<int> answered;  // --help or --version answered: the status to end with
  bool lines = false;
  bool no_editor = false;
};

// --help and --version (-h, -V) answer and end the program, with status 1
// when the answer could not be written; --lines (-l) takes each answer as a
// whole line. Any other argument is ignored, as it always was; an unknown
// option is named, in case it was mistyped.
Options read_options(Console& console, std::span<char*> arguments) {
  Options options;
  for (const std::string_view argument : arguments) {
    bool written = false;
    if (argument == "--lines" || argument == "-l") {
      options.lines = true;
      continue;
    }
    if (argument == "--no-editor") {
      options.no_editor = true;
      continue;
    }
    if (argument == "--version" || argument == "-V") {
      written = print(console, "%s " NOTECREATOR_VERSION "\n", NOTECREATOR_PROGRAM);
    } else if (argument == "--help" || argument == "-h") {
      written = print(console, catalogue.usage, NOTECREATOR_PROGRAM);
    } else {
      if (argument.size() > 1 && argument.front() == '-')
        print_error(console,
                    NOTECREATOR_PROGRAM ": " + fill_format(catalogue.unknown_option, argument));
      continue;
    }
    options.answered = written ? exit_ok : exit_answer_not_written;
    return options;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  Console console = open_standard_console();
  const std::size_t argument_count = argc > 1 ? static_cast<std::size_t>(argc - 1) : 0;
  const Options options = read_options(console, std::span(argv + 1, argument_count));
  if (options.answered) return *options.answered;

  // Started by a double-click, the program is for people.
  const bool lines = options.lines || window_closes_with_program();
  Dialogue dialogue{.console = console,
                    .texts = catalogue,
                    .lines = lines,
                    .editor = lines && console.interactive && !options.no_editor,
                    .draft = {},
                    .declined = false};
  NoteDraft draft;
  int status = exit_ok;
  bool saved = false;
  if (gather_note(dialogue, draft)) {
    saved = save(dialogue, draft);
    status = saved ? exit_ok : exit_not_saved;
    // Started from Explorer or the Start menu, the window would close on the result.
    if (window_closes_with_program()) {
      print(console, catalogue.press_enter);
      (void)read_line(console, max_answer_length);
    }
  }
  // The draft goes once the note is on the card or the user said no to
  // saving it; on any other end it stays, and the user is told where.
  if (dialogue.draft) {
    if (saved || dialogue.declined)
      (void)remove_draft(*dialogue.draft);
    else
      print_error(console, catalogue.draft_kept, dialogue.draft->shown);
    set_last_words({});
  }
  discard_typed_ahead(console);
  if (console.input_failed) {
    print_error(console, catalogue.read_failed);
    return exit_input_failed;
  }
  return status;
}
