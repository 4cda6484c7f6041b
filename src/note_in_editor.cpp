#include "note_in_editor.h"

#include <utility>

#include "note_draft.h"

namespace {

// Says where the draft is, should the program end before the note is saved.
void name_draft_on_exit(Dialogue& d) {
  set_last_words(d.draft ? fill_format(d.texts.draft_kept, d.draft->shown) : std::string());
}

void keep_draft(Dialogue& d, std::optional<Draft> draft) {
  d.draft = std::move(draft);
  name_draft_on_exit(d);
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

// The note in the user's editor, on the draft; changed, the draft holds
// the note as it is (current). Nothing, with why in fallback, when the
// editor cannot be used; nothing, fallback empty, when the user gave the
// note up or the input ended.
std::optional<std::string> edited_note(Dialogue& d, std::string_view title,
                                       const std::optional<std::string>& current,
                                       std::string& fallback) {
  const std::optional<Editor> editor = choose_editor();
  if (!editor) {
    fallback = d.texts.no_editor;
    return std::nullopt;
  }
  if (!d.draft)
    keep_draft(d, make_draft(title, current ? KeptDrafts::passed_over : KeptDrafts::offered));
  if (!d.draft || (current && !write_draft(*d.draft, *current))) {
    fallback = d.texts.draft_not_made;
    return std::nullopt;
  }
  std::optional<std::string> note = note_in_editor(d, *editor, fallback);
  if (note || fallback.empty()) return note;  // a note, a no, or the input ended
  // Typed after all: what the editor left is the user's, and stays where it
  // is, said so; an empty draft simply goes.
  const bool empty = !holds_writing(read_draft(*d.draft, max_answer_length));
  if (!empty) fallback += fill_format(d.texts.editor_text_kept, d.draft->shown);
  let_go_of_draft(d, empty);
  return std::nullopt;
}

// The note in the user's editor, at a terminal, or else as typed lines (or
// a word); changed, from the note as it is (current).
std::optional<std::string> write_note(Dialogue& d, std::string_view title,
                                      const std::optional<std::string>& current) {
  std::string fallback;
  if (d.editor) {
    std::optional<std::string> note = edited_note(d, title, current, fallback);
    if (note || fallback.empty()) return note;
    d.editor = false;  // typed from now on
  }
  std::optional<std::string> note =
      ask(d, current ? Asked::changed_note : Asked::note, d.texts.enter_note, fallback);
  if (note && current && note->empty()) note = *current;  // an empty first line keeps it
  // Typed at a terminal, from here on the note is what a draft keeps.
  if (note && d.lines && d.console.interactive) {
    if (!d.draft) keep_draft(d, make_draft(title, KeptDrafts::passed_over));
    if (d.draft && !write_draft(*d.draft, *note)) let_go_of_draft(d, true);
  }
  return note;
}

}  // namespace

void let_go_of_draft(Dialogue& d, bool remove) {
  if (d.draft && remove) (void)remove_draft(*d.draft);
  keep_draft(d, std::nullopt);
}

std::optional<std::string> take_note(Dialogue& d, std::string_view title) {
  return write_note(d, title, std::nullopt);
}

std::optional<std::string> retake_note(Dialogue& d, std::string_view title,
                                       const std::string& note) {
  return write_note(d, title, note);
}

void end_with_draft(Dialogue& d, bool saved) {
  if (!d.draft) return;
  const bool keep = !saved && !d.declined && holds_writing(read_draft(*d.draft, max_answer_length));
  if (keep) print_error(d.console, d.texts.draft_kept, d.draft->shown);
  let_go_of_draft(d, !keep);
}
