#pragma once

#include <array>
#include <string_view>

// Every text the program shows. Fields named like summary_title are formats
// whose "%s" takes the text of a field.
struct MessageCatalogue {
  std::string_view welcome;
  std::string_view banner;
  std::string_view ask_title;
  std::string_view ask_comment;
  std::string_view answer_hint;
  std::string_view enter_comment;
  std::string_view enter_note;
  std::string_view ask_save;
  std::string_view summary_title;
  std::string_view summary_comment;
  std::string_view summary_note;
  std::string_view ask_drive;
  std::string_view creating;
  std::string_view done;
  // On standard error, each with "%s" for what it names (a path, a folder,
  // a character or a name).
  std::string_view save_no_card;
  std::string_view save_no_notes_folder;
  std::string_view save_read_only;
  std::string_view save_not_permitted;
  std::string_view save_name_refused;    // "%s" is the note's file name
  std::string_view save_note_is_folder;  // Windows
  std::string_view save_note_in_use;     // Windows
  std::string_view save_full;
  std::string_view save_path_too_long;
  std::string_view save_failed;  // any other failure: the path and the system's words
  std::string_view not_saved;    // the input ended before the note was saved
  std::string_view answer_too_long;
  std::string_view title_character;
  std::string_view title_control;
  std::string_view title_device;
  std::string_view title_too_long;
  std::string_view title_code_page;
  std::string_view read_failed;       // when standard input fails
  std::string_view press_enter;       // Windows: before a window that closes with the program does
  std::string_view note_ends_hint;    // --lines: below enter_note
  std::string_view card_found;        // --lines: below ask_drive; "%s" is the card found
  std::string_view cards_found;       // --lines: below ask_drive, above the cards by number
  std::string_view no_card_hint;      // --lines, no card found: "%s" is an answer for example
  std::string_view someone;           // in it, for the user's name when it is not known
  std::string_view unknown_option;    // "%s" is the option
  std::string_view answer_yes_or_no;  // --lines: after an answer that is neither
  std::string_view ask_replace;       // --lines: "%s" is the title; a yes/no question
  std::string_view saved_at;          // --lines: after done; "%s" is the note's path
  std::string_view line_cut;          // a line as long as the terminal keeps one
  // The note in an editor (--lines at a terminal). "%s" is the editor's name,
  // a draft's path or a character.
  std::string_view editor_hint;  // below enter_note
  // Below it, the keys that save and close the editors people meet first.
  std::string_view editor_keys_nano;
  std::string_view editor_keys_vi;  // vi and vim
  std::string_view editor_keys_notepad;
  std::string_view editor_not_started;
  std::string_view editor_failed;
  std::string_view no_editor;
  std::string_view draft_not_made;
  std::string_view draft_unreadable;
  std::string_view draft_empty;       // a yes/no question; an empty line reads the draft again
  std::string_view draft_character;   // typed or in the draft: one the code page cannot hold
  std::string_view draft_kept;        // when the run ends without the note saved
  std::string_view editor_text_kept;  // the note is typed after all: where the editor's text is
  std::string_view another_note;      // --lines at a terminal, after a note saved: yes/no
  // The summary's line, below as much of the note as fits the screen: "%s" is
  // how many of its lines are not shown. No line feed: the format's own follows.
  std::string_view more_lines;
  std::string_view more_comment_lines;  // the same for the comment
  std::string_view more_line;           // the same, for one line
  std::string_view more_comment_line;
  std::string_view card_not_listed;   // --lines: "%s" is a number typed that no card has
  std::string_view title_again;       // --lines: after a no to replacing, above the title prompt
  std::string_view ask_editor_again;  // a yes/no question, after the draft was refused unchanged
  std::string_view notepad;           // Windows' own editor, as its window names it
  // --lines: changing a note before it is saved.
  std::string_view save_or_change;  // below the summary, above the hint
  std::string_view ask_change;      // what to change; then change_parts and change_hint
  std::string_view change_parts;
  std::string_view change_hint;
  std::string_view answer_change;  // after an answer that names no part
  // --lines, files given: one that does not become a note; "%s" is its name.
  // Unread, the system's words and a line feed follow.
  std::string_view file_unreadable;
  std::string_view file_not_text;
  std::string_view file_too_long;
  // --edit: a note on the card changed. "%s" is a number or title typed, or
  // a title.
  std::string_view ask_which_note;  // above the notes by number, then which_note_hint
  std::string_view which_note_hint;
  std::string_view no_such_note;
  std::string_view no_notes;
  std::string_view not_changed;       // after a no to saving it
  std::string_view old_note_removed;  // saved under a new title
  std::string_view draft_offered;     // the editor opens a kept draft of a note of that title
  std::string_view usage;             // for --help; "%s" is the program's name
  char yes_letter;                    // the only answer that means yes
  std::string_view yes_word;  // --lines: means yes too, as the letter does there in any case
  std::string_view no_word;   // --lines: means no, as n does, in any case
  char change_letter;         // --lines: at the save question, to change the note
  std::string_view change_word;
};

// Each executable links exactly one language's definition of these: the
// one-word dialogue's texts, byte for byte as they always were, and those
// of the dialogue for people and of --help, in UTF-8 as the language writes
// them (the first with its own texts in their place).
extern const MessageCatalogue catalogue;
MessageCatalogue people_catalogue();

// Every text of a catalogue, for what is done to each of them.
inline constexpr std::array text_fields = {
    &MessageCatalogue::welcome,
    &MessageCatalogue::banner,
    &MessageCatalogue::ask_title,
    &MessageCatalogue::ask_comment,
    &MessageCatalogue::answer_hint,
    &MessageCatalogue::enter_comment,
    &MessageCatalogue::enter_note,
    &MessageCatalogue::ask_save,
    &MessageCatalogue::summary_title,
    &MessageCatalogue::summary_comment,
    &MessageCatalogue::summary_note,
    &MessageCatalogue::ask_drive,
    &MessageCatalogue::creating,
    &MessageCatalogue::done,
    &MessageCatalogue::save_no_card,
    &MessageCatalogue::save_no_notes_folder,
    &MessageCatalogue::save_read_only,
    &MessageCatalogue::save_not_permitted,
    &MessageCatalogue::save_name_refused,
    &MessageCatalogue::save_note_is_folder,
    &MessageCatalogue::save_note_in_use,
    &MessageCatalogue::save_full,
    &MessageCatalogue::save_path_too_long,
    &MessageCatalogue::save_failed,
    &MessageCatalogue::not_saved,
    &MessageCatalogue::answer_too_long,
    &MessageCatalogue::title_character,
    &MessageCatalogue::title_control,
    &MessageCatalogue::title_device,
    &MessageCatalogue::title_too_long,
    &MessageCatalogue::title_code_page,
    &MessageCatalogue::read_failed,
    &MessageCatalogue::press_enter,
    &MessageCatalogue::note_ends_hint,
    &MessageCatalogue::card_found,
    &MessageCatalogue::cards_found,
    &MessageCatalogue::no_card_hint,
    &MessageCatalogue::someone,
    &MessageCatalogue::unknown_option,
    &MessageCatalogue::answer_yes_or_no,
    &MessageCatalogue::ask_replace,
    &MessageCatalogue::saved_at,
    &MessageCatalogue::line_cut,
    &MessageCatalogue::editor_hint,
    &MessageCatalogue::editor_keys_nano,
    &MessageCatalogue::editor_keys_vi,
    &MessageCatalogue::editor_keys_notepad,
    &MessageCatalogue::editor_not_started,
    &MessageCatalogue::editor_failed,
    &MessageCatalogue::no_editor,
    &MessageCatalogue::draft_not_made,
    &MessageCatalogue::draft_unreadable,
    &MessageCatalogue::draft_empty,
    &MessageCatalogue::draft_character,
    &MessageCatalogue::draft_kept,
    &MessageCatalogue::editor_text_kept,
    &MessageCatalogue::another_note,
    &MessageCatalogue::more_lines,
    &MessageCatalogue::more_comment_lines,
    &MessageCatalogue::more_line,
    &MessageCatalogue::more_comment_line,
    &MessageCatalogue::card_not_listed,
    &MessageCatalogue::title_again,
    &MessageCatalogue::ask_editor_again,
    &MessageCatalogue::notepad,
    &MessageCatalogue::save_or_change,
    &MessageCatalogue::ask_change,
    &MessageCatalogue::change_parts,
    &MessageCatalogue::change_hint,
    &MessageCatalogue::answer_change,
    &MessageCatalogue::file_unreadable,
    &MessageCatalogue::file_not_text,
    &MessageCatalogue::file_too_long,
    &MessageCatalogue::ask_which_note,
    &MessageCatalogue::which_note_hint,
    &MessageCatalogue::no_such_note,
    &MessageCatalogue::no_notes,
    &MessageCatalogue::not_changed,
    &MessageCatalogue::old_note_removed,
    &MessageCatalogue::draft_offered,
    &MessageCatalogue::usage,
    &MessageCatalogue::yes_word,
    &MessageCatalogue::no_word,
    &MessageCatalogue::change_word,
};
