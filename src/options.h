#pragma once

// The command line: the options, read and answered, and the texts a run speaks in.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "messages/messages.h"

// The program's exit statuses.
inline constexpr int exit_ok = 0;
inline constexpr int exit_not_saved = 1;           // the user asked to save, and it was not saved
inline constexpr int exit_input_failed = 2;        // standard input could not be read (not its end)
inline constexpr int exit_answer_not_written = 1;  // --help or --version could not write its answer

struct Options {
  std::optional<int> answered;  // --help or --version answered: the status to end with
  bool no_editor = false;
  bool edit = false;               // --edit: change a note on the card
  std::string unknown;             // what was said of unknown options
  std::vector<std::string> files;  // the arguments that are no option: for people, text files
};

// --help and --version (-h, -V) answer and end the program, with status 1
// when the answer could not be written; --lines (-l) takes each answer as a
// whole line. Any other argument is ignored, as it always was; an unknown
// option is named, in case it was mistyped, in the words of the dialogue it
// comes with. A long option may be any start of it that names no other.
Options read_options(Console& console, const MessageCatalogue& texts, std::span<char*> arguments);

// Whether an argument asks for the dialogue for people: --lines, -l, and
// --edit, -e, which changes a note on the card in it.
bool names_lines(std::string_view argument);
bool names_edit(std::string_view argument);
// The texts for people as the output shows them, for the whole run.
const MessageCatalogue& people_texts();
