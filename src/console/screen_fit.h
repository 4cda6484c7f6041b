#pragma once

// A screen of text fitted to a window: what must stay in sight stays, blank
// lines go first, and texts too long for the rows left are cut to their
// first lines and a line that says how many more there are.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"

struct ScreenPart {
  enum Kind {
    fixed,  // always shown: its lines, each with its line feed (a prompt may have none)
    blank,  // an empty line, dropped first when rows are short
    cut,    // lines without a final line feed, cut when rows are short
  } kind = fixed;
  std::string text;
  std::string_view more = {};      // cut: "%s" is how many lines are not shown
  std::string_view more_one = {};  // the same, for one line
};

// Appends a text's lines: each empty one a blank, the others fixed.
void add_lines(std::vector<ScreenPart>& parts, std::string_view text);
// Appends a format's lines with field in place of its "%s", which ends a line.
void add_field(std::vector<ScreenPart>& parts, std::string_view format, ScreenPart field);

// The rows a text takes on a screen so many columns wide, each line at least
// one: a character a column (UTF-8 sequences when utf8, else bytes), a tab
// to the next eighth.
std::size_t rows_taken(std::string_view text, std::size_t columns, bool utf8);

// The parts as one text, fitted to the window: all of them when they fit;
// else the blank lines from the top dropped, then the cut parts cut, each
// before the last keeping rows for the last's first lines.
std::string fit_to_screen(const std::vector<ScreenPart>& parts, ScreenSize size, bool utf8);
// The parts as one text, all of them.
std::string joined(const std::vector<ScreenPart>& parts);
