// The note creator: gathers one note through a short console dialogue.
#include <algorithm>
#include <array>
#include <cctype>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/code_page.h"
#include "console/console.h"
#include "console/editor.h"
#include "console/screen_fit.h"
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
  bool editor = false;              // the note is written in the user's editor
  std::optional<Draft> draft = {};  // its draft file, while it holds the only copy of the note
  bool declined = false;            // the user answered no to saving
  bool welcomed = false;            // the welcome is shown once a run
  std::string card_used = {};       // the card the last note was saved on
  std::string notice = {};          // shown on the first question's screen: an unknown option
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
  parts.push_back({ScreenPart::fixed, std::string(d.texts.answer_hint)});
  const std::optional<ScreenSize> size = screen_size(d.console);
  std::string screen = size ? fit_to_screen(parts, *size, output_is_utf8()) : joined(parts);
  screen.resize(screen.size() - d.texts.answer_hint.size());  // the question prints it
  return screen;
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
      if (!ask_again(d.console, line->text.size() + 1)) return std::nullopt;
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
// line break of a note is. The first is the first that is not blank. The
// lines of a paste are all the note's, empty ones included: only an empty
// line typed ends it.
std::optional<Answer> read_note_lines(Console& console) {
  std::optional<Answer> note;
  bool pasting = false;
  for (std::optional<Answer> line; (line = read_line(console, max_answer_length));) {
    const bool pasted = console.paste_marks && take_paste_marks(line->text, pasting);
    if (!note) {
      if (line->too_long || !trim_space(line->text).empty())
        note = std::move(line);
      else if (!pass_over(console, line->text.size() + 1))
        return std::nullopt;
      continue;
    }
    if (!line->too_long && line->text.empty() && !pasted) break;
    note->cut = note->cut || line->cut;
    if (note->refused.empty()) note->refused = line->refused;
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
  if (!d.lines) return read_word(d.console, max_answer_length);
  if (asked == Asked::note) {
    set_paste_marks(d.console, true);
    std::optional<Answer> note = read_note_lines(d.console);
    set_paste_marks(d.console, false);
    return note;
  }
  // At a terminal a line of blanks is no comment: the question was a yes,
  // but the person may have thought better of it.
  if (asked == Asked::comment && d.console.interactive) {
    std::optional<Answer> line = read_line(d.console, max_answer_length);
    if (line && !line->too_long && trim_space(line->text).empty()) line->text.clear();
    return line;
  }
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
// What the refused answers hold counts toward what one question may pass
// over, so that endless refused input ends.
std::optional<std::string> ask(Dialogue& d, Asked asked, std::string_view prompt,
                               std::string refusal = {}) {
  begin_answer(d.console);
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
    if (!answer->cut && answer->refused.empty() && problem.kind == TitleProblem::none)
      return std::move(answer->text);
    if (!answer->refused.empty())
      refusal = fill_format(d.texts.draft_character, answer->refused);
    else if (answer->cut)
      refusal = d.texts.line_cut;
    else
      refusal = asked == Asked::title ? title_refusal(d.texts, problem) : d.texts.answer_too_long;
    if (!ask_again(d.console, answer->text.size() + 1)) return std::nullopt;
  }
}

// ==== The note in an editor ====

// Says where the draft is, should the program end before the note is saved.
void name_draft_on_exit(Dialogue& d) {
  set_last_words(d.draft ? fill_format(d.texts.draft_kept, d.draft->shown) : std::string());
}

void keep_draft(Dialogue& d, std::optional<Draft> draft) {
  d.draft = std::move(draft);
  name_draft_on_exit(d);
}

// The draft is no longer the program's: it is deleted, or, holding what the
// user wrote, left where it is (and said so by the caller).
void let_go_of_draft(Dialogue& d, bool remove) {
  if (d.draft && remove) (void)remove_draft(*d.draft);
  keep_draft(d, std::nullopt);
}

// Whether the draft holds anything the user wrote, whatever it is.
bool holds_writing(const DraftNote& note) {
  return note.unreadable || note.too_long || !note.refused.empty() || !note.text.empty();
}

// After an editor that left the draft empty: open it again (true), or take
// what it holds now (false): an empty line reads it again, as an editor that
// came back at once may have saved it since. Nothing when the user gave the
// note up (declined) or the input ended.
std::optional<bool> ask_to_edit_again(Dialogue& d, DraftNote& note) {
  // Empty, it is not the note kept should the program end now.
  set_last_words({});
  begin_answer(d.console);
  while (!holds_writing(note)) {
    print(d.console, d.texts.draft_empty);
    print(d.console, d.texts.answer_hint);
    const std::optional<Answer> line = read_line(d.console, max_answer_length);
    if (!line) return std::nullopt;
    const bool empty = !line->too_long && trim_space(line->text).empty();
    if (!line->too_long && is_yes(line->text, d.texts, true)) {
      name_draft_on_exit(d);  // the editor may write it again
      return true;
    }
    if (!line->too_long && is_no(line->text, d.texts)) {
      d.declined = true;
      return std::nullopt;
    }
    if (!ask_again(d.console, line->text.size() + 1)) return std::nullopt;
    if (empty)
      note = read_draft(*d.draft, max_answer_length);
    else
      print_error(d.console, d.texts.answer_yes_or_no);
  }
  name_draft_on_exit(d);
  return false;
}

// The draft read back after the editor, until it holds a note: one that is
// too long, or holds a character the note cannot, opens it again; an empty
// one asks first. Nothing when the editor cannot be used (why, in fallback),
// the user gave up on the note (declined), or the input ended.
// Why a draft that holds writing is not taken as the note; empty when it is.
std::string draft_refusal(const MessageCatalogue& texts, const DraftNote& note) {
  if (!note.refused.empty()) return fill_format(texts.draft_character, note.refused);
  if (note.too_long) return std::string(texts.answer_too_long);
  return {};
}

bool same_draft(const DraftNote& a, const DraftNote& b) {
  return a.text == b.text && a.unreadable == b.unreadable && a.too_long == b.too_long &&
         a.refused == b.refused;
}

// A draft refused and left as it was (an editor that came back at once, or
// a window already open that took the file): open the editor again only
// when asked to, never over and over. Nothing when the user gave the note
// up (declined) or the input ended.
std::optional<bool> ask_to_edit_refused_again(Dialogue& d, std::string_view refusal) {
  clear_screen(d.console);
  print_error(d.console, refusal);
  print(d.console, d.texts.ask_editor_again);
  const std::optional<bool> again = ask_yes_no(d);
  d.declined = again == false;
  return again == true ? again : std::nullopt;
}

// The editor's name as the screen gives it: Windows' own as its window does.
std::string_view shown_editor_name(const Dialogue& d, const Editor& editor) {
  return editor.host_own && editor.name == "Notepad" ? d.texts.notepad
                                                     : std::string_view(editor.name);
}

// The draft read back after the editor, until it holds a note: one that is
// too long, or holds a character the note cannot, opens it again (asked
// first when the editor left it as it was); an empty one asks first.
// Nothing when the editor cannot be used (why, in fallback), the user gave
// up on the note (declined), or the input ended.
std::optional<std::string> note_in_editor(Dialogue& d, const Editor& editor,
                                          std::string& fallback) {
  const std::string_view name = shown_editor_name(d, editor);
  std::string refusal;
  for (;;) {
    clear_screen(d.console);
    if (!refusal.empty()) print_error(d.console, refusal);
    print(d.console, d.texts.enter_note);
    print(d.console, d.texts.editor_hint, name);
    print(d.console, editor_keys(d.texts, editor.name));
    if (d.draft->kept) print(d.console, d.texts.draft_offered);
    const DraftNote before = read_draft(*d.draft, max_answer_length);
    const EditorEnd end = run_editor(d.console, editor, *d.draft);
    d.draft->kept = false;  // from now on, what the editor left
    if (end != EditorEnd::ended) {
      fallback = fill_format(
          end == EditorEnd::failed ? d.texts.editor_failed : d.texts.editor_not_started, name);
      return std::nullopt;
    }
    DraftNote note = read_draft(*d.draft, max_answer_length);
    if (!holds_writing(note)) {
      const std::optional<bool> again = ask_to_edit_again(d, note);
      if (!again) return std::nullopt;
      if (*again) {
        refusal.clear();
        continue;
      }
    }
    if (note.unreadable) {
      fallback = fill_format(d.texts.draft_unreadable, d.draft->shown);
      return std::nullopt;
    }
    refusal = draft_refusal(d.texts, note);
    if (refusal.empty()) return std::move(note.text);
    if (same_draft(note, before) && !ask_to_edit_refused_again(d, refusal)) return std::nullopt;
  }
}

// The one place that picks how the note is taken: in the user's editor, at
// a terminal, or else as typed lines (or a word).
std::optional<std::string> take_note(Dialogue& d, std::string_view title) {
  std::string fallback;
  if (d.editor) {
    d.editor = false;
    const std::optional<Editor> editor = choose_editor();
    if (!editor) fallback = d.texts.no_editor;
    if (editor) keep_draft(d, make_draft(title, KeptDrafts::offered));
    if (editor && !d.draft) fallback = d.texts.draft_not_made;
    if (fallback.empty()) {
      std::optional<std::string> note = note_in_editor(d, *editor, fallback);
      if (note || fallback.empty()) return note;  // a note, a no, or the input ended
      // Typed after all: what the editor left is the user's, and stays
      // where it is, said so; an empty draft simply goes.
      const bool empty = !holds_writing(read_draft(*d.draft, max_answer_length));
      if (!empty) fallback += fill_format(d.texts.editor_text_kept, d.draft->shown);
      let_go_of_draft(d, empty);
    }
  }
  std::optional<std::string> note = ask(d, Asked::note, d.texts.enter_note, fallback);
  // Typed at a terminal, from here on the note is what a draft keeps.
  if (note && d.lines && d.console.interactive) {
    keep_draft(d, make_draft(title, KeptDrafts::passed_over));
    if (d.draft && !write_draft(*d.draft, *note)) let_go_of_draft(d, true);
  }
  return note;
}

// ==== The dialogue ====

// Fills the draft. True when the user asked for it to be saved; false on a
// no, or when input ended before the dialogue was through.
bool gather_note(Dialogue& d, NoteDraft& draft) {
  if (!d.welcomed) {
    set_console_colours(d.console);
    print(d.console, d.texts.welcome);
    print(d.console, d.texts.banner);
    pause_ms(welcome_pause_ms);
    d.welcomed = true;
  }

  std::optional<std::string> title =
      ask(d, Asked::title, d.texts.ask_title, std::exchange(d.notice, {}));
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
  print(d.console, summary_screen(d, draft));
  // A window resized while the question waits shows it again, fitted.
  d.console.on_resize = [&d, &draft] {
    clear_screen(d.console);
    print(d.console, summary_screen(d, draft));
    print(d.console, d.texts.answer_hint);
  };
  watch_resizes(d.console, true);
  const std::optional<bool> wants_save = ask_yes_no(d);
  watch_resizes(d.console, false);
  d.console.on_resize = nullptr;
  d.declined = wants_save == false;
  return wants_save.value_or(false);
}

// Said to people when they gave up on the note: the program ends next.
void say_not_saved(Dialogue& d) {
  if (d.lines && d.declined) print(d.console, d.texts.not_saved);
}

// The draft goes once the note is on the card or the user gave it up; on
// any other end it stays, and the user is told where, unless it holds nothing.
void end_with_draft(Dialogue& d, bool saved) {
  if (!d.draft) return;
  const bool keep = !saved && !d.declined && holds_writing(read_draft(*d.draft, max_answer_length));
  if (keep) print_error(d.console, d.texts.draft_kept, d.draft->shown);
  let_go_of_draft(d, !keep);
}

// After a note saved: yes to write another. What was typed ahead, before
// the result could be read, answers nothing.
bool ask_another_note(Dialogue& d) {
  discard_typed_ahead(d.console);
  print(d.console, d.texts.another_note);
  return ask_yes_no(d).value_or(false);
}

// ==== Saving ====

// Where the save step gives up: the input ended.
bool not_saved(Dialogue& d) {
  if (!d.console.input_failed) print_error(d.console, d.texts.not_saved);
  return false;
}

// Whether the note may go where a note of its name is: always, but for
// people, who are asked first. Nothing when the input has ended.
std::optional<bool> may_replace(Dialogue& d, const NotePath& path, std::string_view title) {
  if (!d.lines || !path.usable || !note_exists(path)) return true;
  clear_screen(d.console);
  print(d.console, d.texts.ask_replace, title);
  return ask_yes_no(d);
}

// Saves the note on the card the user names, asking again after each
// failure. A name the card refuses, or, for people, one that would replace a
// note they do not want replaced, asks for another title, and the note goes
// to the same card. A yes to replacing holds for that note on that card
// alone. True when saved.
bool save(Dialogue& d, NoteDraft& draft) {
  begin_answer(d.console);
  SaveResult last;
  std::optional<Answer> drive;
  for (;;) {
    if (!drive) drive = ask_for_card(d.console, d.texts, last, d.lines, d.card_used);
    if (!drive) return not_saved(d);
    // People may paste the notes folder itself, from a file manager.
    const std::string_view card =
        d.lines ? card_in_answer(drive->text, host_separator == '\\') : drive->text;
    const NotePath path = drive->too_long ? NotePath{} : build_note_path(card, draft.title);
    const std::optional<bool> replace = may_replace(d, path, draft.title);
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

// ==== Options ====

struct Options {
  std::optional<int> answered;  // --help or --version answered: the status to end with
  bool no_editor = false;
  std::string unknown;  // what was said of unknown options
};

// --help and --version (-h, -V) answer and end the program, with status 1
// when the answer could not be written; --lines (-l) takes each answer as a
// whole line. Any other argument is ignored, as it always was; an unknown
// option is named, in case it was mistyped.
// The long option an argument names: itself, or the one it is the start
// of, as GNU programs take them (--line is --lines); else the argument.
std::string_view long_option(std::string_view argument) {
  constexpr std::array<std::string_view, 4> long_options = {"--lines", "--no-editor", "--help",
                                                            "--version"};
  if (!argument.starts_with("--") || argument.size() < 3) return argument;
  std::string_view named = argument;
  int starts = 0;
  for (const std::string_view option : long_options)
    if (option.starts_with(argument)) {
      named = option;
      ++starts;
    }
  return starts == 1 ? named : argument;
}

bool names_lines(std::string_view argument) {
  return long_option(argument) == "--lines" || argument == "-l";
}

// The texts for people as the output shows them, for the whole run.
const MessageCatalogue& people_texts() {
  static std::deque<std::string> held;
  static const MessageCatalogue texts = [] {
    MessageCatalogue shown = people_catalogue();
    for (const auto field : text_fields) shown.*field = held.emplace_back(for_output(shown.*field));
    return shown;
  }();
  return texts;
}

// Unknown options are named in the words of the dialogue they come with.
Options read_options(Console& console, const MessageCatalogue& texts, std::span<char*> arguments) {
  Options options;
  for (const char* given : arguments) {
    const std::string_view argument = long_option(given);
    bool written = false;
    if (names_lines(argument)) continue;  // taken before
    if (argument == "--no-editor") {
      options.no_editor = true;
      continue;
    }
    if (argument == "--version" || argument == "-V") {
      written = print(console, "%s " NOTECREATOR_VERSION "\n", NOTECREATOR_PROGRAM);
    } else if (argument == "--help" || argument == "-h") {
      written = print(console, people_texts().usage, NOTECREATOR_PROGRAM);
    } else {
      if (argument.size() > 1 && argument.front() == '-') {
        const std::string line =
            NOTECREATOR_PROGRAM ": " + fill_format(texts.unknown_option, given);
        print_error(console, line);
        options.unknown += line;
      }
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
  int status = exit_ok;
  // At a terminal, people may write one note after another.
  for (bool another = true; another;) {
    NoteDraft draft;
    const bool asked_to_save = gather_note(dialogue, draft);
    const bool saved = asked_to_save && save(dialogue, draft);
    if (asked_to_save && !saved) status = exit_not_saved;
    say_not_saved(dialogue);
    end_with_draft(dialogue, saved);
    const bool offer_another = saved && lines && console.interactive;
    another = offer_another && ask_another_note(dialogue);
    // Started from Explorer or the Start menu, the window would close on the
    // result; after a no to another note, the result has been read.
    if (asked_to_save && !offer_another && window_closes_with_program()) {
      print(console, texts.press_enter);
      (void)read_line(console, max_answer_length);
    }
    dialogue.editor = editor;
    dialogue.declined = false;
  }
  discard_typed_ahead(console);
  if (console.input_failed) {
    print_error(console, texts.read_failed);
    return exit_input_failed;
  }
  return status;
}
