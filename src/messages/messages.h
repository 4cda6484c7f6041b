#pragma once

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
  std::string_view save_failed;  // on standard error; "%s" is the note's path
  std::string_view read_failed;  // on standard error, when standard input fails
  std::string_view usage;        // for --help; "%s" is the program's name
  char yes_letter;               // the only answer that means yes
};

// Each executable links exactly one language's definition of this.
extern const MessageCatalogue catalogue;
