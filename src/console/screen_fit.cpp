#include "console/screen_fit.h"

#include <algorithm>

namespace {

constexpr std::size_t tab_width = 8;
constexpr unsigned continuation_mask = 0xc0;
constexpr unsigned continuation = 0x80;
// Rows kept for a later cut part while an earlier one is cut: a line and
// the line that says how many more.
constexpr std::size_t kept_for_later = 2;

std::size_t part_rows(const ScreenPart& part, std::size_t columns, bool utf8) {
  if (part.kind == ScreenPart::blank) return 1;
  std::string_view text = part.text;
  if (part.kind == ScreenPart::fixed && text.ends_with('\n')) text.remove_suffix(1);
  return rows_taken(text, columns, utf8);
}

// As many of the text's lines as take at most rows rows, then, if not all
// did, the line that says how many more there are.
std::string fit_part(const ScreenPart& part, std::size_t rows, std::size_t columns, bool utf8) {
  std::string_view text = part.text;
  if (rows_taken(text, columns, utf8) <= rows) return std::string(text) + "\n";
  std::string shown;
  std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (std::size_t used = 1;; --lines) {  // the row of the line that says how many
    const std::string_view line = text.substr(0, text.find('\n'));
    const std::size_t taken = rows_taken(line, columns, utf8);
    if (used + taken > rows) break;
    used += taken;
    shown.append(line).push_back('\n');
    text.remove_prefix(line.size() + 1);
  }
  return shown + fill_format(lines == 1 ? part.more_one : part.more, std::to_string(lines)) + "\n";
}

}  // namespace

void add_lines(std::vector<ScreenPart>& parts, std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    const std::string_view line = text.substr(0, end);
    parts.push_back(line == "\n" ? ScreenPart{ScreenPart::blank, "\n"}
                                 : ScreenPart{ScreenPart::fixed, std::string(line)});
    text.remove_prefix(end);
  }
}

void add_field(std::vector<ScreenPart>& parts, std::string_view format, ScreenPart field) {
  const std::size_t at = format.find("%s");
  add_lines(parts, format.substr(0, at));
  if (field.kind == ScreenPart::fixed) field.text.push_back('\n');
  parts.push_back(std::move(field));
  add_lines(parts, format.substr(at + 3));  // past the line feed that ends the field
}

std::size_t rows_taken(std::string_view text, std::size_t columns, bool utf8) {
  std::size_t rows = 0;
  std::size_t width = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == '\n') {
      rows += std::max<std::size_t>(1, (width + columns - 1) / columns);
      width = 0;
    } else if (text[at] == '\t') {
      width += tab_width - width % tab_width;
    } else if (!utf8 ||
               (static_cast<unsigned char>(text[at]) & continuation_mask) != continuation) {
      ++width;
    }
  }
  return rows;
}

std::string joined(const std::vector<ScreenPart>& parts) {
  std::string text;
  for (const ScreenPart& part : parts)
    text += part.kind == ScreenPart::cut ? part.text + "\n" : part.text;
  return text;
}

std::string fit_to_screen(const std::vector<ScreenPart>& parts, ScreenSize size, bool utf8) {
  std::size_t fixed = 0;
  std::size_t blanks = 0;
  std::size_t cut = 0;
  std::vector<std::size_t> wanted;  // each cut part's rows
  for (const ScreenPart& part : parts) {
    const std::size_t rows = part_rows(part, size.columns, utf8);
    if (part.kind == ScreenPart::fixed) fixed += rows;
    if (part.kind == ScreenPart::blank) ++blanks;
    if (part.kind == ScreenPart::cut) {
      cut += rows;
      wanted.push_back(rows);
    }
  }
  const std::size_t left = size.rows - std::min(size.rows, fixed);
  if (blanks + cut <= left) return joined(parts);
  const std::size_t kept_blanks = left - std::min(left, cut);
  std::size_t room = left - kept_blanks;
  // Each cut part's rows: all it wants when all fit; else each but the last
  // leaves the later ones their first rows, and takes at least one.
  std::vector<std::size_t> given(wanted.size());
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    std::size_t later = 0;
    for (std::size_t j = i + 1; j < wanted.size(); ++j)
      later += std::min(wanted[j], kept_for_later);
    given[i] = i + 1 == wanted.size()
                   ? room
                   : std::min(wanted[i], std::max(room - std::min(room, later),
                                                  std::min<std::size_t>(wanted[i], 1)));
    room -= std::min(room, given[i]);
  }
  std::string text;
  std::size_t blank = 0;
  std::size_t cut_index = 0;
  for (const ScreenPart& part : parts) {
    if (part.kind == ScreenPart::blank && blank++ >= blanks - kept_blanks) text += part.text;
    if (part.kind == ScreenPart::fixed) text += part.text;
    if (part.kind == ScreenPart::cut)
      text += fit_part(part, given[cut_index++], size.columns, utf8);
  }
  return text;
}
