#pragma once

// The console's character sets: Windows code pages, in which titles,
// comments and notes arrive at a Windows console and are stored as they
// arrive. Decoded on POSIX hosts too, so that the Windows path rules can be
// tried there.
#include <optional>
#include <string>
#include <string_view>

// Host-specific: the bytes decoded from a Windows code page (65001 is UTF-8);
// nothing when they are not valid there.
std::optional<std::u16string> decode_code_page(std::string_view bytes, unsigned code_page);

// The program's own texts, written in UTF-8, as the output shows them:
// unchanged where it shows UTF-8 (a UTF-8 locale, or code page 65001), in
// the console's code page on Windows, and otherwise in ASCII, the accents
// dropped ("..." for "\u2026").
std::string for_output(std::string_view utf8);
// Host-specific: whether what is shown counts its characters as UTF-8
// sequences (POSIX, and code page 65001), rather than a byte each.
bool output_is_utf8();
// Host-specific: text meant for standard output as standard error shows
// it, when the two are in different code pages (a console and a file).
std::string for_error_stream(std::string_view text);
// Host-specific: UTF-8 text in a Windows code page, what it cannot hold
// spelled in ASCII.
std::string in_code_page(std::string_view utf8, unsigned code_page);
// UTF-8 text in ASCII: accented letters without their accents, "?" for
// what has no ASCII spelling.
std::string ascii_spelling(std::string_view utf8);
// The length of the UTF-8 sequence text starts with (1 for a stray byte).
std::size_t utf8_sequence(std::string_view text);
// Whether a POSIX locale's characters are UTF-8, from LC_ALL, LC_CTYPE and
// LANG (each maybe unset): read by hand, as a static build loads no locale.
bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

#ifdef _WIN32
// The code page a title was typed in: the console's, or the ANSI one when
// the input is redirected.
unsigned title_code_page();
// The code page standard output is shown in, and standard error.
unsigned output_code_page();
unsigned error_code_page();

// The one rule for what reaches a note from outside the code page: text in
// a code page, character by character; nothing when a character cannot be
// held there, and refused names it ("U+20AC").
std::optional<std::string> narrow_checked(std::u16string_view wide, unsigned code_page,
                                          std::string& refused);
// Text from a file: UTF-8 (what Notepad writes), else the ANSI code page
// (what it wrote before, and "Save as... ANSI"), in a code page as above.
std::optional<std::string> encode_code_page(std::string_view text, unsigned code_page,
                                            std::string& refused);

// Text between a code page and the system's UTF-16, for names and messages:
// what cannot be converted is replaced, as the system does.
std::wstring widen(std::string_view text, unsigned code_page);
std::string narrow(std::wstring_view wide, unsigned code_page);
#endif
