#include "dialogue.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "note_draft.h"
#include "notefile/notefile.h"

namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The note in lines: the lines up to an empty one, joined by CR LF as every
// line break of a note is. The first is the first that is not blank. The
// lines of a paste are all the note's, empty ones included: only an empty
// line typed ends it.
// An empty first line is an empty note when one keeps what was there.
std::optional<Answer> read_note_lines(Console& console, bool empty_keeps) {
  std::optional<Answer> note;
  bool pasting = false;
  for (std::optional<Answer> line; (line = read_line(console, max_answer_length));) {
    const bool pasted = console.paste_marks && take_paste_marks(line->text, pasting);
    if (!note) {
      if (empty_keeps && !line->too_long && trim_space(line->text).empty()) return Answer{};
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

std::optional<Answer> read_answer(Dialogue& d, Asked asked) {
  if (!d.lines) return read_word(d.console, max_answer_length);
  if (asked == Asked::note || asked == Asked::changed_note) {
    set_paste_marks(d.console, true);
    std::optional<Answer> note = read_note_lines(d.console, asked == Asked::changed_note);
    set_paste_marks(d.console, false);
    return note;
  }
  // At a terminal a line of blanks is no comment: the question was a yes,
  // but the person may have thought better of it. Changed, an empty line
  // removes the comment, or keeps the title.
  if ((asked == Asked::comment && d.console.interactive) || asked == Asked::changed_comment ||
      asked == Asked::changed_title) {
    std::optional<Answer> line = read_line(d.console, max_answer_length);
    if (line && !line->too_long && trim_space(line->text).empty()) line->text.clear();
    return line;
  }
  std::optional<Answer> line = read_filled_line(d.console);
  if (line && asked == Asked::title) line->text = std::string(trim_space(line->text));
  return line;
}

// A whole line that is the letter or the word, in any case.
bool says(std::string_view answer, char letter, std::string_view word) {
  const std::string_view trimmed = trim_space(answer);
  return equals_ignoring_case(trimmed, std::string_view(&letter, 1)) ||
         equals_ignoring_case(trimmed, word);
}

// A yes/no question's answer, for people: a whole line that says so, or,
// when the note may be changed, the change letter or word; anything else is
// refused and asked again.
std::optional<SaveAnswer> ask_line_answer(Dialogue& d, bool change_too) {
  for (;;) {
    print(d.console, d.texts.answer_hint);
    const std::optional<Answer> line = read_filled_line(d.console);
    if (!line) return std::nullopt;
    if (!line->too_long && is_yes(line->text, d.texts, true)) return SaveAnswer::yes;
    if (!line->too_long && is_no(line->text, d.texts)) return SaveAnswer::no;
    if (change_too && !line->too_long &&
        says(line->text, d.texts.change_letter, d.texts.change_word))
      return SaveAnswer::change;
    if (!ask_again(d.console, line->text.size() + 1)) return std::nullopt;
    print_error(d.console, d.texts.answer_yes_or_no);
  }
}

// Why an answer is not taken; empty when it is.
std::string answer_refusal(const MessageCatalogue& texts, const Answer& answer, bool title) {
  if (!answer.refused.empty()) return fill_format(texts.draft_character, answer.refused);
  if (answer.cut) return std::string(texts.line_cut);
  if (answer.too_long) return std::string(title ? texts.title_too_long : texts.answer_too_long);
  return title ? title_refusal(texts, find_host_title_problem(answer.text)) : std::string();
}

}  // namespace

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

bool is_yes(std::string_view answer, const MessageCatalogue& texts, bool whole_line) {
  if (!whole_line) return answer == std::string_view(&texts.yes_letter, 1);
  return says(answer, texts.yes_letter, texts.yes_word);
}

bool is_no(std::string_view answer, const MessageCatalogue& texts) {
  return says(answer, 'n', texts.no_word);
}

std::string lines_for_screen(std::string_view body) {
  std::string shown;
  for (std::size_t at = 0; at < body.size(); ++at) {
    if (body.substr(at, 2) == "\r\n") continue;  // its LF follows
    shown.push_back(body[at]);
  }
  return shown;
}

std::optional<bool> ask_yes_no(Dialogue& d) {
  begin_answer(d.console);
  if (d.lines) {
    const std::optional<SaveAnswer> answer = ask_line_answer(d, false);
    if (!answer) return std::nullopt;
    return *answer == SaveAnswer::yes;
  }
  // Drop what ended the previous word (normally its line feed), so the hint
  // and the answer stand on a fresh line.
  if (!skip_word_terminator(d.console)) return std::nullopt;
  print(d.console, d.texts.answer_hint);
  const std::optional<char> answer = read_char(d.console);
  if (!answer) return std::nullopt;
  return is_yes(std::string_view(&*answer, 1), d.texts, false);
}

std::optional<SaveAnswer> ask_save_or_change(Dialogue& d) {
  if (d.lines) {
    begin_answer(d.console);
    return ask_line_answer(d, true);
  }
  const std::optional<bool> yes = ask_yes_no(d);
  if (!yes) return std::nullopt;
  return *yes ? SaveAnswer::yes : SaveAnswer::no;
}

std::optional<Answer> read_filled_line(Console& console) {
  for (;;) {
    std::optional<Answer> line = read_line(console, max_answer_length);
    if (!line || line->too_long || !trim_space(line->text).empty()) return line;
    if (!pass_over(console, line->text.size() + 1)) return std::nullopt;
  }
}

std::optional<std::string> ask(Dialogue& d, Asked asked, std::string_view prompt,
                               std::string refusal, std::string_view kept) {
  const bool title = asked == Asked::title || asked == Asked::changed_title;
  begin_answer(d.console);
  for (;;) {
    clear_screen(d.console);
    // Where the user types the answer again.
    if (!refusal.empty()) print_error(d.console, refusal);
    if (!kept.empty()) print(d.console, std::string(kept) + "\n");
    print(d.console, prompt);
    if ((asked == Asked::note || asked == Asked::changed_note) && d.lines)
      print(d.console, d.texts.note_ends_hint);
    std::optional<Answer> answer = read_answer(d, asked);
    if (!answer) return std::nullopt;
    if (asked == Asked::changed_title ||
        (asked == Asked::changed_comment && trim_space(answer->text).empty()))
      answer->text = std::string(trim_space(answer->text));
    if (asked == Asked::changed_title && answer->text.empty() && !answer->too_long)
      return std::string(kept);
    refusal = answer_refusal(d.texts, *answer, title);
    if (refusal.empty()) return std::move(answer->text);
    if (!ask_again(d.console, answer->text.size() + 1)) return std::nullopt;
  }
}

std::optional<char> ask_part_to_change(Dialogue& d) {
  clear_screen(d.console);
  print(d.console, d.texts.ask_change);
  print(d.console, d.texts.change_parts);
  begin_answer(d.console);
  for (;;) {
    print(d.console, d.texts.change_hint);
    const std::optional<Answer> line = read_filled_line(d.console);
    if (!line) return std::nullopt;
    for (const char part : {'t', 'c', 'n'})
      if (!line->too_long && says(line->text, part, {})) return part;
    if (!ask_again(d.console, line->text.size() + 1)) return std::nullopt;
    print_error(d.console, d.texts.answer_change);
  }
}
