#include "messages/messages.h"

// The welcome line is two tabs, 21 blanks, then the word. "Wourld" is the
// one-word dialogue's own wording and its users know it; keep it there.
const MessageCatalogue catalogue = {
    .welcome = "\t\t                     Welcome\n\n",
    .banner = "\t ***->->Notes for Velloran Creator By Dorvik [ENG]<-<-***\n\n",
    .ask_title = "Title of the note :\n",
    .ask_comment = "Wourld you like insert a comment?\n",
    .answer_hint = "(y/n) ",
    .enter_comment = "Enter the comment:\n",
    .enter_note = "Enter the note:\n",
    .ask_save = "Wourld you save this note?\n\n\n\n",
    .summary_title = "Title:\n%s\n\n",
    .summary_comment = "Comment:\n%s\n\n\n",
    .summary_note = "Note:\n%s\n\n\n",
    .ask_drive = "What is the letter of your PSP?\n",
    .creating = "Creating the note...\n",
    .done = "Done!\n",
    .save_no_card = "The note could not be saved: there is no card at %s\n",
    .save_no_notes_folder = "The note could not be saved: the card has no folder %s\n",
    .save_read_only = "The note could not be saved: the card is read-only or write-protected: %s\n",
    .save_not_permitted = "The note could not be saved: you may not write there: %s\n",
    .save_name_refused =
        "The note could not be saved: the card refuses the name %s. Type another title.\n",
    .save_note_is_folder =
        "The note could not be saved: a folder has the note's name; rename or move it: %s\n",
    .save_note_in_use =
        "The note could not be saved: the old note is open in another program; close it: %s\n",
    .save_full = "The note could not be saved: the card is full: %s\n",
    .save_path_too_long = "The note could not be saved: the path is too long for this drive: %s\n",
    .save_failed = "The note could not be saved: %s\n",
    .not_saved = "The note was not saved.\n",
    .answer_too_long = "This answer is longer than 65536 bytes, the most there is room for.\n",
    .title_character = "A title cannot hold the character %s.\n",
    .title_control = "A title cannot hold control characters.\n",
    .title_device = "%s is the name of a Windows device, not of a note.\n",
    .title_too_long = "A title can be at most 251 characters long, fewer with accented letters.\n",
    .title_code_page = "This title is not valid in the console's code page.\n",
    .read_failed = "The input could not be read.\n",
    .press_enter = "Press Enter to close.\n",
    .note_ends_hint = "(an empty line ends the note)\n",
    .card_found = "(found: %s - press Enter to use it)\n",
    .cards_found = "(found these cards - type the number of one to use it)\n",
    .no_card_hint = "(no card found - type where it is, such as %s)\n",
    .someone = "you",
    .unknown_option = "unknown option %s, ignored (see --help)\n",
    .answer_yes_or_no = "Please answer y (yes) or n (no).\n",
    .ask_replace = "There is already a note called %s on the card. Replace it?\n",
    .saved_at = "Saved as %s\n",
    .line_cut =
        "A line typed here can be at most 4095 bytes long, and this one may have been "
        "cut: type it shorter, or write long text in an editor.\n",
    .editor_hint = "Write the note in %s, save it, and close it.\n",
    .editor_keys_nano = "(nano: Ctrl-O, Enter, then Ctrl-X)\n",
    .editor_keys_vi = "(vi: i to write, then Esc and :wq)\n",
    .editor_keys_notepad = "(Notepad: Ctrl+S, then close it)\n",
    .editor_not_started = "The editor %s could not be started: type the note here instead.\n",
    .editor_failed = "The editor %s ended with a failure: type the note here instead.\n",
    .no_editor = "No editor was found (set VISUAL or EDITOR): type the note here instead.\n",
    .draft_not_made = "No draft could be made: type the note here instead.\n",
    .draft_unreadable = "The draft %s could not be read: type the note here instead.\n",
    .draft_empty = "The note is empty. Open the editor again?\n",
    .draft_character =
        "The console's code page cannot hold the character %s: write it another "
        "way.\n",
    .draft_kept = "The note you wrote is kept in %s\n",
    .editor_text_kept = "What you wrote in the editor is kept in %s\n",
    .another_note = "Write another note?\n",
    .more_lines = "(... and %s more lines of the note)",
    .more_comment_lines = "(... and %s more lines of the comment)",
    .more_line = "(... and %s more line of the note)",
    .more_comment_line = "(... and %s more line of the comment)",
    .card_not_listed =
        "There is no card number %s: type one of the numbers shown, or where the card is.\n",
    .title_again = "Type another title for this note.\n",
    .ask_editor_again = "Open the editor again?\n",
    .notepad = "Notepad",
    .save_or_change = "(or e to change it)\n",
    .ask_change = "What would you like to change?\n",
    .change_parts = "t: the title, c: the comment, n: the note\n",
    .change_hint = "(t/c/n) ",
    .answer_change = "Please answer t (the title), c (the comment) or n (the note).\n",
    .file_unreadable = "The file %s could not be read, and is passed over: ",
    .file_not_text = "The file %s is not text: it is passed over.\n",
    .file_too_long = "The file %s is longer than 65536 bytes: it is passed over.\n",
    .ask_which_note = "Which note would you like to change?\n",
    .which_note_hint = "(type its number or its title)\n",
    .no_such_note = "There is no note %s on the card: type one of the numbers shown, or a title.\n",
    .no_notes = "There are no notes on the card.\n",
    .not_changed = "The note was not changed.\n",
    .old_note_removed = "The note %s was removed: the note is saved under its new title.\n",
    .draft_offered = "A draft of this note was kept: it opens with what you wrote.\n",
    .usage =
        "Usage: %s [-l | --lines [--no-editor] [FILE...]]\n"
        "       %s -e | --edit\n"
        "       %s -h | --help | -V | --version\n"
        "\n"
        "Asks for a note's title, an optional comment and the note's text, then\n"
        "writes the note for Velloran, the PSP's notes application, onto the PSP's\n"
        "memory card as PSP/GAME/Velloran/notes/<title>.txt. At the letter question,\n"
        "answer with the card's drive letter (Windows, WSL) or its mount point\n"
        "(Linux, macOS). The notes folder must exist already.\n"
        "\n"
        "Each answer is one word: what follows the first blank answers the next\n"
        "question. At a yes/no question only a lower-case y means yes. The answer\n"
        "to the letter question is the rest of its line.\n"
        "\n"
        "  -l, --lines  the dialogue for people (the Start menu's, and a double-\n"
        "               click's): each answer is a whole line, y or yes for yes\n"
        "               and n or no for no, in any case. At a terminal the note\n"
        "               is written in your editor (VISUAL, else EDITOR, else the\n"
        "               first of editor, nano and vi; Notepad on Windows) on a\n"
        "               draft named after the title, kept until the note is\n"
        "               saved or you say no to saving it, and offered again for\n"
        "               the same title; elsewhere the note is typed lines, ended\n"
        "               by an empty line. It offers the card it finds, or the\n"
        "               cards by number, asks before replacing a note, shows\n"
        "               where the note went, and, at a terminal, offers to write\n"
        "               another note. At the summary, e changes the title, the\n"
        "               comment or the note first. Each FILE given (a text file\n"
        "               dropped on the icon) becomes a note, titled after its\n"
        "               name, one after another\n"
        "      --no-editor\n"
        "               with --lines, type the note as lines even at a terminal\n"
        "  -e, --edit   change a note on the card, in the dialogue for people: the\n"
        "               card's notes are listed by number, the one chosen opens\n"
        "               in your editor, its comment kept, and it is saved in place\n"
        "\n"
        "Drafts are kept in $XDG_STATE_HOME/notecreator/drafts\n"
        "(~/.local/state/notecreator/drafts), or %LOCALAPPDATA%\\notecreator\\drafts\n"
        "on Windows.\n"
        "\n"
        "Without --lines it ignores any other argument; it names an unknown\n"
        "option on standard error. A long option may be shortened to\n"
        "any start that names no other (--line for --lines).\n"
        "\n"
        "Exit status: 0 saved, or saving not asked for; 1 not saved; 2 the input\n"
        "could not be read.\n",
    .yes_letter = 'y',
    .yes_word = "yes",
    .no_word = "no",
    .change_letter = 'e',
    .change_word = "edit",
};

MessageCatalogue people_catalogue() {
  MessageCatalogue texts = catalogue;
  texts.ask_comment = "Would you like to add a comment?\n";
  texts.ask_save = "Would you like to save this note?\n\n\n\n";
  texts.ask_title = "Title of the note:\n";
  texts.summary_comment = "Comment:\n%s\n\n";
  texts.summary_note = "Note:\n%s\n\n";
  return texts;
}
