#include "messages/messages.h"

// The welcome line is two tabs, 21 blanks, then the word. "Wourld" is the
// product's own wording and users know it; keep it.
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
    .unknown_option = "unknown option %s, ignored (see --help)\n",
    .usage =
        "Usage: %s [-l | --lines] [-h | --help | -V | --version]\n"
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
        "  -l, --lines  take each answer as a whole line instead: a title or a\n"
        "               note of several words, a note of several lines (an empty\n"
        "               line ends it), y or yes in any case for yes; and offer the\n"
        "               card at the letter question when it finds exactly one,\n"
        "               or the cards by number when it finds several\n"
        "\n"
        "It takes no other arguments: it ignores any other it is given, and names\n"
        "an unknown option on standard error.\n"
        "\n"
        "Exit status: 0 saved, or saving not asked for; 1 not saved; 2 the input\n"
        "could not be read.\n",
    .yes_letter = 'y',
    .yes_word = "yes",
};
