#pragma once

// A text file made a note: its name the title, its text the note.
#include <cstddef>
#include <string>
#include <string_view>

struct TextFile {
  enum class Fault { none, unreadable, not_text, too_long };
  std::string title;  // the file's name without ".txt"
  std::string text;   // the note, when no fault
  Fault fault = Fault::none;
  std::string why;  // unreadable: the system's words
};

// The note a text file's bytes hold, in UTF-8: UTF-8, its mark dropped, or
// UTF-16 with its mark; each line break made CR LF, those at its end
// dropped. Bytes that are not UTF-8 are no text, unless eight_bit_kept
// (Windows, where they are read as ANSI, as Notepad does): then they are
// kept as they are. A NUL is never text.
TextFile note_of_file_bytes(std::string_view bytes, bool eight_bit_kept);
// Whether the bytes are UTF-8.
bool is_utf8(std::string_view bytes);
// A file's name without its folder and its ".txt", in any case.
std::string title_of_file_name(std::string_view path, bool windows);

// Host-specific: the file read and made a note, in the encoding the title
// and the comment arrive in; its title from its name, likewise.
TextFile read_text_file(const std::string& path);
