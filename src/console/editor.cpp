#include "console/editor.h"

#include <algorithm>

namespace {

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
