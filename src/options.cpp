#include "options.h"

#include <array>
#include <deque>

#include "console/code_page.h"

namespace {

// The long option an argument names: itself, or the one it is the start
// of, as GNU programs take them (--line is --lines); else the argument.
std::string_view long_option(std::string_view argument) {
  constexpr std::array<std::string_view, 5> long_options = {"--lines", "--no-editor", "--edit",
                                                            "--help", "--version"};
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

}  // namespace

bool names_lines(std::string_view argument) {
  return long_option(argument) == "--lines" || argument == "-l" || names_edit(argument);
}

bool names_edit(std::string_view argument) {
  return long_option(argument) == "--edit" || argument == "-e";
}

const MessageCatalogue& people_texts() {
  static std::deque<std::string> held;
  static const MessageCatalogue texts = [] {
    MessageCatalogue shown = people_catalogue();
    for (const auto field : text_fields) shown.*field = held.emplace_back(for_output(shown.*field));
    return shown;
  }();
  return texts;
}

Options read_options(Console& console, const MessageCatalogue& texts, std::span<char*> arguments) {
  Options options;
  for (const char* given : arguments) {
    const std::string_view argument = long_option(given);
    bool written = false;
    options.edit = options.edit || names_edit(argument);
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
      if (!argument.starts_with('-')) options.files.emplace_back(given);
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
