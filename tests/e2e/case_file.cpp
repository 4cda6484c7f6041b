#include "case_file.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses quoted strings one after another; false on a malformed value. A +
// between two joins them into one.
bool parse_strings(const std::string& value, std::vector<std::string>& out) {
  std::size_t i = 0;
  bool joining = false;
  while (true) {
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
    if (i == value.size()) return !joining;
    if (value[i] == '+' && !out.empty() && !joining) {
      joining = true;
      ++i;
      continue;
    }
    if (value[i] != '"') return false;
    std::string text;
    for (++i; i < value.size() && value[i] != '"'; ++i) {
      if (value[i] != '\\') {
        text.push_back(value[i]);
        continue;
      }
      if (++i == value.size()) return false;
      switch (value[i]) {
        case 'n':
          text.push_back('\n');
          break;
        case 't':
          text.push_back('\t');
          break;
        case 'r':
          text.push_back('\r');
          break;
        case '\\':
          text.push_back('\\');
          break;
        case '"':
          text.push_back('"');
          break;
        case 'x': {
          if (i + 2 >= value.size()) return false;
          const int high = hex_value(value[i + 1]);
          const int low = hex_value(value[i + 2]);
          if (high < 0 || low < 0) return false;
          text.push_back(static_cast<char>(high * 16 + low));
          i += 2;
          break;
        }
        default:
          return false;
      }
    }
    if (i == value.size()) return false;
    ++i;
    // "a"*1024 stands for 1024 of them.
    if (i < value.size() && value[i] == '*') {
      const char* digits = value.c_str() + i + 1;
      char* end = nullptr;
      const unsigned long count = std::strtoul(digits, &end, 10);
      if (end == digits) return false;
      std::string repeated;
      for (unsigned long n = 0; n < count; ++n) repeated += text;
      text = std::move(repeated);
      i = static_cast<std::size_t>(end - value.c_str());
    }
    if (joining)
      out.back() += text;
    else
      out.push_back(std::move(text));
    joining = false;
  }
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const auto& part : parts) text += part;
  return text;
}

}  // namespace

Case read_case(const std::string& path) {
  Case c;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    c.error = "cannot read " + path;
    return c;
  }
  std::vector<std::pair<std::string, std::string>> fields;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == ' ' || line[0] == '\t') {
      if (fields.empty()) {
        c.error = "continuation before any field: " + line;
        return c;
      }
      fields.back().second += line;
      continue;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos) {
      c.error = "not a field: " + line;
      return c;
    }
    fields.emplace_back(line.substr(0, colon), line.substr(colon + 1));
  }

  for (const auto& [name, value] : fields) {
    std::vector<std::string> strings;
    std::string word;
    std::istringstream(value) >> word;
    const bool is_bytes = parse_strings(value, strings);
    auto need = [&](std::size_t count) {
      if (is_bytes && strings.size() >= count) return true;
      c.error = "bad value for " + name + ":" + value;
      return false;
    };
    if (name == "program") {
      c.program = word;
    } else if (name == "status") {
      c.expected_status = std::stoi(word);
    } else if (name == "card") {
      c.card = word;
    } else if (name == "host") {
      c.host = word;
    } else if (name == "locale") {
      c.locale = word;
    } else if (name == "min-ms") {
      c.min_ms = std::stoi(word);
    } else if (name == "max-ms") {
      c.max_ms = std::stoi(word);
    } else if (name == "full-card") {
      c.full_card = word == "yes";
    } else if (name == "output-closed") {
      c.output_closed = word == "yes";
    } else if (name == "mounted") {
      c.mounted = word == "no" ? "" : word;
    } else if (name == "refused-name") {
      if (!need(1)) return c;
      c.refused_name = strings.front();
    } else if (name == "serial") {
      c.serial = word == "yes";
    } else if (name == "output-full") {
      c.output_full = word == "yes";
    } else if (name == "input-file") {
      c.input_file = word;
    } else if (name == "args") {
      if (!need(1)) return c;
      c.args = strings;
    } else if (name == "input") {
      if (!need(1)) return c;
      c.input = joined(strings);
    } else if (name == "stdout") {
      if (!need(1)) return c;
      c.expected_stdout = joined(strings);
    } else if (name == "stderr") {
      if (!need(1)) return c;
      c.expected_stderr = joined(strings);
    } else if (name == "before" || name == "after" || name == "files") {
      // "after:" alone says the notes folder ends up empty.
      if (!is_bytes || strings.size() % 2 != 0) {
        c.error = "bad value for " + name + ": names and contents go in pairs";
        return c;
      }
      auto& notes = name == "before" ? c.before : name == "files" ? c.files : c.after.emplace();
      for (std::size_t i = 0; i < strings.size(); i += 2)
        notes.push_back({strings[i], strings[i + 1]});
    } else {
      c.error = "unknown field " + name;
      return c;
    }
  }
  if (c.program != "fr" && c.program != "en") c.error = "program must be fr or en";
  return c;
}

std::string show_bytes(const std::string& bytes, bool break_lines) {
  std::string shown;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      shown += break_lines ? "\\n\n" : "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\\') {
      shown += "\\\\";
    } else if (c < 0x20 || c >= 0x7f) {
      static const char digits[] = "0123456789abcdef";
      shown += "\\x";
      shown += digits[c >> 4];
      shown += digits[c & 15];
    } else {
      shown += ch;
    }
  }
  return shown;
}
