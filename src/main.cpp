// The note creator: gathers one note through a short console dialogue.
#include <algorithm>
#include <cctype>
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

// The dialogue's side of a run: where it talks, in which language, and
// whether each answer is a word (as it always was) or a whole line.
struct Dialogue {
  Console& console;
  const MessageCatalogue& texts;
  bool lines = false;
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

// A note of several lines, one line a screen line.
std::string lines_for_screen(std::string_view body) {
  std::string shown;
  for (std::size_t at = 0; at < body.size(); ++at) {
    if (body.substr(at, 2) == "\r\n") continue;  // its LF follows
    shown.push_back(body[at]);
  }
  return shown;
}

// Asked after the caller printed the question. Nothing when input has ended.
std::optional<bool> ask_yes_no(Dialogue& d) {
  begin_answer(d.console);
  if (d.lines) {
    print(d.console, d.texts.answer_hint);
    const std::optional<Answer> line = read_line(d.console, max_answer_length);
    if (!line) return std::nullopt;
    return !line->too_long && is_yes(line->text, d.texts, true);
  }
  // Drop what ended the previous word (normally its line feed), so the hint
  // and the answer stand on a fresh line.
  if (!skip_word_terminator(d.console)) return std::nullopt;
  print(d.console, d.texts.answer_hint);
  const std::optional<char> answer = read_char(d.console);
  if (!answer) return std::nullopt;
  return is_yes(std::string_view(&*answer, 1), d.texts, false);
}

// The next line that holds more than blanks; nothing when input has ended.
std::optional<Answer> read_filled_line(Console& console) {
  for (;;) {
    std::optional<Answer> line = read_line(console, max_answer_length);
    if (!line || line->too_long || !trim_space(line->text).empty()) return line;
    if (!pass_over(console, line->text.size() + 1)) return std::nullopt;
  }
}

// The note in lines: the lines up to an empty one, joined by CR LF as every
// line break of a note is. The first is the first that is not empty.
std::optional<Answer> read_note_lines(Console& console) {
  std::optional<Answer> note = read_filled_line(console);
  if (!note) return note;
  for (std::optional<Answer> line;
       (line = read_line(console, max_answer_length)) && (line->too_long || !line->text.empty());) {
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
    if (problem.kind == TitleProblem::none) return std::move(answer->text);
    refusal = asked == Asked::title ? title_refusal(d.texts, problem) : d.texts.answer_too_long;
  }
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

  std::optional<std::string> body = ask(d, Asked::note, d.texts.enter_note);
  if (!body) return false;
  draft.body = std::move(*body);

  clear_screen(d.console);
  print(d.console, d.texts.ask_save);
  print(d.console, d.texts.summary_title, draft.title);
  print(d.console, d.texts.summary_comment, draft.comment);
  print(d.console, d.texts.summary_note, lines_for_screen(draft.body));
  const std::optional<bool> wants_save = ask_yes_no(d);
  return wants_save.value_or(false);
}

// ==== Options ====

struct Options {
  std::optional<int> answered;  // --help or --version answered: the status to end with
  bool lines = false;
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

  Dialogue dialogue{console, catalogue, options.lines};
  NoteDraft draft;
  int status = exit_ok;
  if (gather_note(dialogue, draft)) {
    SaveEnd end = save_note(console, catalogue, draft, options.lines);
    // The card refuses the title as a name: another title, on the same card.
    while (end.name_refused) {
      std::optional<std::string> title =
          ask(dialogue, Asked::title, catalogue.ask_title, std::move(end.refusal));
      if (!title) {
        if (!console.input_failed) print_error(console, catalogue.not_saved);
        end = {};
        break;
      }
      draft.title = std::move(*title);
      end = save_note(console, catalogue, draft, options.lines, end.drive);
    }
    status = end.saved ? exit_ok : exit_not_saved;
    // Started from Explorer or the Start menu, the window would close on the result.
    if (window_closes_with_program()) {
      print(console, catalogue.press_enter);
      (void)read_line(console, max_answer_length);
    }
  }
  if (console.input_failed) {
    print_error(console, catalogue.read_failed);
    return exit_input_failed;
  }
  return status;
}
