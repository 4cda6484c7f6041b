#pragma once

// The dialogue's side of a run and its questions: where it talks, in which
// language, and whether each answer is a word (as it always was) or a whole
// line, for people.
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/editor.h"
#include "messages/messages.h"
#include "notefile/notefile.h"

struct Dialogue {
  Console& console;
  const MessageCatalogue& texts;
  bool lines = false;
  bool editor = false;              // the note is written in the user's editor
  std::optional<Draft> draft = {};  // its draft file, while it holds the only copy of the note
  bool declined = false;            // the user answered no to saving
  bool welcomed = false;            // the welcome is shown once a run
  std::string card_used = {};       // the card the last note was saved on
  std::string notice = {};          // shown on the first question's screen: an unknown option
};

// The one yes rule: the build's yes letter, exactly. A whole line is also
// yes when, without the blanks around it, it is that letter or the yes word
// in any case.
bool is_yes(std::string_view answer, const MessageCatalogue& texts, bool whole_line);
// A whole line that says no: n, or the no word, in any case.
bool is_no(std::string_view answer, const MessageCatalogue& texts);
// A note of several lines, one line a screen line.
std::string lines_for_screen(std::string_view body);

// The next line that holds more than blanks; nothing when input has ended.
std::optional<Answer> read_filled_line(Console& console);
// Asked after the caller printed the question. Nothing when input has ended.
// A whole line is yes or no in so many words: anything else is refused and
// the question asked again, so that a slip never throws a note away.
std::optional<bool> ask_yes_no(Dialogue& d);

// What is asked; a part asked again to change it keeps what it was, or, for
// the comment, is removed, on an empty line.
enum class Asked { title, comment, note, changed_title, changed_comment, changed_note };

// Clears the screen, shows the prompt and reads an answer, until one is
// taken: a longer one than there is room for, or a title that cannot name a
// note, is refused with a line that says why, and the question asked again.
// Nothing when input has ended. A refusal given is shown the first time.
// What the refused answers hold counts toward what one question may pass
// over, so that endless refused input ends.
// What is wrong with a title, in the user's words; empty when nothing is.
std::string title_refusal(const MessageCatalogue& texts, const TitleProblem& problem);

// A part asked again shows what it was (kept) above the prompt.
std::optional<std::string> ask(Dialogue& d, Asked asked, std::string_view prompt,
                               std::string refusal = {}, std::string_view kept = {});

// For people, the save question takes a third answer: to change the note.
enum class SaveAnswer { yes, no, change };
// Asked after the caller printed the question, the line that offers the
// change (for people) included. Nothing when input has ended.
std::optional<SaveAnswer> ask_save_or_change(Dialogue& d);
// Which part of the note to change: 't', 'c' or 'n'. Nothing when input has ended.
std::optional<char> ask_part_to_change(Dialogue& d);
