#include <cstdlib>

#include "notefile/notefile.h"

namespace {

constexpr unsigned before_closing_line_ms = 500;
constexpr unsigned after_closing_line_ms = 1500;

// The rest of the line, without the whitespace around it. Empty lines before
// it are passed over, unless an empty line is an answer (it takes the card
// found, or shows the cards again).
std::optional<Answer> read_drive(Console& console, bool empty_is_an_answer) {
  begin_answer(console);
  if (!empty_is_an_answer) skip_whitespace(console);
  std::optional<Answer> answer = read_line(console, max_posix_path_length);
  if (answer) answer->text = std::string(trim_space(answer->text));
  return answer;
}

// Below the question: the card found, the cards found by number, or, where
// none is, what to type.
void show_cards(Console& console, const MessageCatalogue& texts,
                const std::vector<std::string>& cards, bool looked) {
  if (cards.size() == 1) {
    print(console, texts.card_found, cards.front());
  } else if (cards.size() > 1) {
    print(console, texts.cards_found);
    for (std::size_t i = 0; i < cards.size(); ++i)
      print(console, std::to_string(i + 1) + ": " + cards[i] + "\n");
  } else if (looked) {
    print(console, texts.no_card_hint, card_answer_example());
  }
}

// The answer as the card it names: an empty line takes the one card found,
// a number one of several. False for an empty line among several cards,
// which is no answer.
bool take_card(Answer& answer, const std::vector<std::string>& cards) {
  if (answer.too_long) return true;
  if (answer.text.empty() && cards.size() == 1) answer.text = cards.front();
  if (cards.size() < 2) return true;
  if (answer.text.empty()) return false;
  for (std::size_t i = 0; i < cards.size(); ++i)
    if (answer.text == std::to_string(i + 1)) answer.text = cards[i];
  return true;
}

// The drive question, asked until an answer names a place; why the last
// one failed stands above it, where the user types the next. Nothing when
// the input has ended.
std::optional<Answer> ask_for_card(Console& console, const MessageCatalogue& texts,
                                   const SaveResult& last, bool lines) {
  for (;;) {
    clear_screen(console);
    if (last.fault != SaveFault::none) print_error(console, failure_line(texts, last));
    print(console, texts.ask_drive);
    // Looked for at each ask: a card may have come since the last.
    const std::vector<std::string> cards = lines ? find_cards() : std::vector<std::string>{};
    show_cards(console, texts, cards, lines);
    std::optional<Answer> answer = read_drive(console, !cards.empty());
    if (!answer || take_card(*answer, cards)) return answer;
  }
}

SaveResult save_once(const Answer& drive, const NotePath& path, const NoteDraft& draft) {
  // Longer than any path, so not a place on any card: shown cut.
  if (drive.too_long) return {SaveFault::path_too_long, drive.text + "..."};
  if (!path.usable) return {path.fault, path.fault == SaveFault::no_card ? path.card : path.text};
  return write_note_file(path, draft);
}

}  // namespace

SaveResult find_missing_folder(const NotePath& path, char separator) {
  std::string at = path.card + separator;
  if (!is_folder(at)) return {SaveFault::no_card, path.card.empty() ? at : path.card};
  for (std::size_t i = 0; i < notes_folders.size(); ++i) {
    if (i > 0) at.push_back(separator);
    at.append(notes_folders[i]);
    if (!is_folder(at)) return {SaveFault::no_notes_folder, at};
  }
  return {SaveFault::other, path.text};
}

SaveResult save_failure(const NotePath& path, SaveFault fault, char separator,
                        const std::string& system_words) {
  switch (fault) {
    case SaveFault::no_notes_folder:
      return find_missing_folder(path, separator);
    case SaveFault::name_refused:
      return {fault, path.text.substr(path.folder.size())};
    case SaveFault::other:
      return {fault, path.text + ": " + system_words};
    default:
      return {fault, path.text};
  }
}

std::string failure_line(const MessageCatalogue& texts, const SaveResult& result) {
  std::string_view format = texts.save_failed;
  switch (result.fault) {
    case SaveFault::no_card:
      format = texts.save_no_card;
      break;
    case SaveFault::no_notes_folder:
      format = texts.save_no_notes_folder;
      break;
    case SaveFault::read_only:
      format = texts.save_read_only;
      break;
    case SaveFault::not_permitted:
      format = texts.save_not_permitted;
      break;
    case SaveFault::name_refused:
      format = texts.save_name_refused;
      break;
    case SaveFault::note_is_folder:
      format = texts.save_note_is_folder;
      break;
    case SaveFault::note_in_use:
      format = texts.save_note_in_use;
      break;
    case SaveFault::full:
      format = texts.save_full;
      break;
    case SaveFault::path_too_long:
      format = texts.save_path_too_long;
      break;
    case SaveFault::none:
    case SaveFault::other:
      break;
  }
  return fill_format(format, result.detail);
}

bool refused_by_test(std::string_view name) {
  const char* refused = std::getenv(refused_name_variable);
  return refused != nullptr && name == refused;
}

SaveEnd save_note(Console& console, const MessageCatalogue& texts, const NoteDraft& draft,
                  bool lines, const std::string& drive, bool replace) {
  SaveEnd end;
  std::optional<Answer> answer;
  if (!drive.empty()) {
    answer.emplace();
    answer->text = drive;
  }
  SaveResult last;
  for (;; answer.reset()) {
    if (!answer) answer = ask_for_card(console, texts, last, lines);
    if (!answer) {
      if (!console.input_failed) print_error(console, texts.not_saved);
      return end;
    }
    const NotePath path =
        answer->too_long ? NotePath{} : build_note_path(answer->text, draft.title);
    end.drive = answer->text;
    if (lines && !replace && path.usable && note_exists(path)) {
      end.how = SaveEnd::note_exists;
      return end;
    }
    clear_screen(console);
    print(console, texts.creating);
    last = save_once(*answer, path, draft);
    pause_ms(before_closing_line_ms);
    if (last.fault == SaveFault::name_refused) {
      end.how = SaveEnd::name_refused;
      end.refusal = failure_line(texts, last);
      return end;
    }
    if (last.fault == SaveFault::none) {
      print(console, texts.done);
      if (lines) print(console, texts.saved_at, full_note_path(path));
      pause_ms(after_closing_line_ms);
      end.how = SaveEnd::saved;
      return end;
    }
  }
}
