#include "console/editor.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int draft_names = 100;  // "title.txt", then "title (2).txt" and on
constexpr std::string_view utf8_byte_order_mark = "\xef\xbb\xbf";
constexpr std::string_view blanks = " \t";
constexpr unsigned utf8_lead_mask = 0xc0;
constexpr unsigned utf8_continuation = 0x80;

}  // namespace

std::string_view command_program(std::string_view command) {
  command.remove_prefix(std::min(command.find_first_not_of(blanks), command.size()));
  if (!command.starts_with('"')) return command.substr(0, command.find_first_of(blanks));
  command.remove_prefix(1);
  return command.substr(0, command.find('"'));
}

std::string editor_name(std::string_view command) {
  std::string_view program = command_program(command);
  const std::size_t folder_end = program.find_last_of("/\\");
  if (folder_end != std::string_view::npos) program.remove_prefix(folder_end + 1);
  if (program.size() > 4 && (program.ends_with(".exe") || program.ends_with(".EXE")))
    program.remove_suffix(4);
  return std::string(program);
}

std::string_view editor_keys(const MessageCatalogue& texts, std::string_view name) {
  if (name == "nano") return texts.editor_keys_nano;
  if (name == "vi" || name.starts_with("vim")) return texts.editor_keys_vi;  // vim.basic, vim.tiny
  if (name == "Notepad" || name == "notepad") return texts.editor_keys_notepad;
  return {};
}

std::string_view utf8_prefix(std::string_view title, std::size_t most) {
  if (title.size() <= most) return title;
  std::size_t cut = most;
  while (cut > 0 && (static_cast<unsigned char>(title[cut]) & utf8_lead_mask) == utf8_continuation)
    --cut;
  return title.substr(0, cut);
}

std::string title_digest(std::string_view title) {
  // FNV-1a: short, and the same on every host and in every build.
  constexpr std::uint32_t offset_basis = 2166136261U;
  constexpr std::uint32_t prime = 16777619U;
  constexpr std::string_view digits = "0123456789abcdef";
  constexpr unsigned nibble_bits = 4;
  constexpr std::uint32_t nibble = 0xf;
  std::uint32_t hash = offset_basis;
  for (const char c : title) hash = (hash ^ static_cast<unsigned char>(c)) * prime;
  std::string digest(title_digest_length, ' ');
  for (std::size_t at = title_digest_length; at > 1; --at, hash >>= nibble_bits)
    digest[at - 1] = digits[hash & nibble];
  return digest;
}

std::string draft_stem(std::string_view title, std::size_t most) {
  if (title.size() <= most) return std::string(title);
  return std::string(utf8_prefix(title, most - std::min(most, title_digest_length))) +
         title_digest(title);
}

std::string note_from_draft(std::string_view bytes) {
  if (bytes.starts_with(utf8_byte_order_mark)) bytes.remove_prefix(utf8_byte_order_mark.size());
  std::string note;
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    if (bytes[at] == '\n') {
      note.append("\r\n");
    } else if (bytes.substr(at, 2) == "\r\n") {
      note.append("\r\n");
      ++at;
    } else {
      note.push_back(bytes[at]);
    }
  }
  while (note.ends_with("\r\n")) note.resize(note.size() - 2);
  return note;
}

std::optional<Draft> make_draft(std::string_view title, KeptDrafts kept) {
  const std::optional<std::string> folder = drafts_folder_path();
  if (!folder) return std::nullopt;
  const std::optional<std::string> stem = draft_stem_in(title, *folder);
  if (!stem) return std::nullopt;
  for (int number = 1; number <= draft_names; ++number) {
    std::string name = *stem;
    if (number > 1) name.append(" (").append(std::to_string(number)).append(")");
    name.append(".txt");
    Draft draft{*folder + name, shown_path(*folder + name), false, nullptr};
    const NameClaim claim = claim_draft_name(*folder, name, draft.claim);
    if (claim == NameClaim::taken) continue;
    if (claim == NameClaim::failed) return std::nullopt;
    const NewDraft made = create_draft_file(draft.path);
    if (made == NewDraft::made) return draft;
    if (made == NewDraft::failed) return std::nullopt;
    // Left by an earlier run of the user's: its own again when it holds
    // something and is offered; taken as new when empty; else it stays.
    const LeftDraft left = left_draft(draft.path);
    if (!left.own) continue;
    draft.kept = left.holds;
    if (!draft.kept || kept == KeptDrafts::offered) return draft;
  }
  return std::nullopt;
}
