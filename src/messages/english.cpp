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
    .save_failed = "The note could not be saved: %s\n",
    .read_failed = "The input could not be read.\n",
    .usage =
        "Usage: %s [--help | --version]\n"
        "\n"
        "Asks for a note's title, an optional comment and the note's text, then\n"
        "writes the note for Velloran, the PSP's notes application, onto the PSP's\n"
        "memory card as PSP/GAME/Velloran/notes/<title>.txt. At the letter question,\n"
        "answer with the card's drive letter (Windows, WSL) or its mount point\n"
        "(Linux, macOS). The notes folder must exist already.\n"
        "\n"
        "It takes no other arguments, and ignores any other it is given.\n"
        "\n"
        "Exit status: 0 saved, or saving not asked for; 1 not saved; 2 the input\n"
        "could not be read.\n",
    .yes_letter = 'y',
};
