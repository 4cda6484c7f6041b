#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "notefile/notefile.h"

namespace {

constexpr unsigned before_closing_line_ms = 500;
constexpr unsigned after_closing_line_ms = 1500;
// An empty line shows the cards again, but searches for them at most this often.
constexpr auto search_again_after = std::chrono::seconds(1);

// The rest of the line, without the whitespace around it. Empty lines before
// it are passed over, unless an empty line is an answer (it takes the card
// found, or shows the cards again).
std::optional<Answer> read_drive(Console& console, bool empty_is_an_answer) {
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
    print(console, texts.no_card_hint, card_answer_example(texts.someone));
  }
}

enum class Taken { card, no_answer, not_listed };

// The answer as the card it names: an empty line takes the one card found,
// a number one of several. An empty line among several cards is no answer;
// a number none of them has is refused.
Taken take_card(Answer& answer, const std::vector<std::string>& cards) {
  if (answer.too_long) return Taken::card;
  if (answer.text.empty() && cards.size() == 1) answer.text = cards.front();
  if (cards.size() < 2) return Taken::card;
  if (answer.text.empty()) return Taken::no_answer;
  for (std::size_t i = 0; i < cards.size(); ++i)
    if (answer.text == std::to_string(i + 1)) {
      answer.text = cards[i];
      return Taken::card;
    }
  const bool number = std::all_of(answer.text.begin(), answer.text.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
  return number ? Taken::not_listed : Taken::card;
}

SaveResult save_once(const Answer& drive, const NotePath& path, const NoteDraft& draft) {
  // Longer than any path, so not a place on any card: shown cut.
  if (drive.too_long) return {SaveFault::path_too_long, drive.text + "..."};
  if (!path.usable) return {path.fault, path.fault == SaveFault::no_card ? path.card : path.text};
  return write_note_file(path, draft);
}

}  // namespace

std::optional<Answer> ask_for_card(Console& console, const MessageCatalogue& texts,
                                   const SaveResult& last, bool lines, std::string_view used) {
  std::vector<std::string> cards;
  std::optional<std::chrono::steady_clock::time_point> searched;
  std::string refusal = last.fault != SaveFault::none ? failure_line(texts, last) : "";
  for (;;) {
    clear_screen(console);
    if (!refusal.empty()) print_error(console, refusal);
    print(console, texts.ask_drive);
    // Looked for at each ask, as a card may have come since the last; but
    // empty lines in a row are no reason to search more than once a second.
    const auto now = std::chrono::steady_clock::now();
    if (lines && (!searched || now - *searched >= search_again_after)) {
      cards = find_cards();
      searched = now;
      // The card just used comes first, while it is there.
      if (const std::string card(used); !card.empty()) {
        std::erase(cards, card);
        if (holds_notes_folder(card, host_separator)) cards.insert(cards.begin(), card);
      }
    }
    show_cards(console, texts, cards, lines);
    std::optional<Answer> answer = read_drive(console, !cards.empty());
    if (!answer) return answer;
    const Taken taken = take_card(*answer, cards);
    if (taken == Taken::card) return answer;
    if (taken == Taken::not_listed) refusal = fill_format(texts.card_not_listed, answer->text);
    if (!ask_again(console, answer->text.size() + 1)) return std::nullopt;
  }
}

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

SaveResult write_note_step(Console& console, const MessageCatalogue& texts, const Answer& drive,
                           const NotePath& path, const NoteDraft& draft, bool lines,
                           const std::function<void()>& saved) {
  clear_screen(console);
  print(console, texts.creating);
  SaveResult result;
  {
    const InterruptsHeld held;
    result = save_once(drive, path, draft);
    if (result.fault == SaveFault::none && saved) saved();
  }
  pause_ms(before_closing_line_ms);
  if (result.fault == SaveFault::none) {
    print(console, texts.done);
    if (lines) print(console, texts.saved_at, full_note_path(path));
    pause_ms(after_closing_line_ms);
  }
  return result;
}
