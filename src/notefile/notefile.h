#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "messages/messages.h"
#include "note_draft.h"

// ==== Where a note goes ====

// A note's path as composed from the drive answer and the title; shown as it
// is when the note cannot be saved. Never used when not usable.
struct NotePath {
  std::string text;
  std::string folder;           // the notes folder, with its final separator
  bool usable = false;          // false when the drive or the title is refused
  std::u16string windows_name;  // Windows: the title decoded, with ".txt"
};

// The longest note path on POSIX hosts, PATH_MAX less its NUL. Where there
// are no drive letters the answer is the card's mount point, so a longer
// answer can never make a path; it is refused, not cut. (Final slashes are
// dropped from it, so the path's own bound does not cover the answer.)
inline constexpr std::size_t max_posix_path_length = 4095;
// The longest drive answer each host takes.
inline constexpr std::size_t max_windows_drive_length = 32;
#ifdef _WIN32
inline constexpr std::size_t max_drive_length = max_windows_drive_length;
#else
inline constexpr std::size_t max_drive_length = max_posix_path_length;
#endif

// The longest file name the card's file system takes, ".txt" included.
inline constexpr std::size_t max_file_name_length = 255;
inline constexpr std::string_view note_extension = ".txt";

// Whether the title can stand as a file name in the notes folder and nowhere
// else: no separator, nothing FAT refuses, no Windows device name.
bool is_safe_title(std::string_view title);
// Whether a file name's part before its first dot opens a device on Windows:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 in any case, with
// the superscript digits 1, 2 and 3 as 8-bit (Windows-1252) or UTF-8 bytes too.
bool is_windows_device_name(std::string_view stem);
// A single letter, A to Z in either case.
bool is_drive_letter(std::string_view drive);
// Whether a character (a byte, or a decoded code point) may stand in a
// title: no separator, no control character, nothing FAT refuses.
bool is_allowed_in_title(char32_t c);
// The same rules as is_safe_title, for a title decoded to UTF-16 as Windows
// names files: the length counts UTF-16 units, as FAT does.
bool is_safe_windows_title(std::u16string_view title);

// Host-specific: the bytes decoded from a Windows code page (65001 is UTF-8);
// nothing when they are not valid there.
std::optional<std::u16string> decode_code_page(std::string_view bytes, unsigned code_page);
#ifdef _WIN32
// The code page a title was typed in: the console's, or the ANSI one when
// the input is redirected.
unsigned title_code_page();
#endif

// "<drive>:\PSP\GAME\Velloran\notes\<title>.txt"; the drive must be one
// letter, and the title is decoded from code_page alone, then checked.
NotePath windows_note_path(std::string_view drive, std::string_view title, unsigned code_page);
// "<mount>/PSP/GAME/Velloran/notes/<title>.txt"; a single letter X names /mnt/x.
NotePath posix_note_path(std::string_view drive, std::string_view title);
// The path rules of the host this program runs on.
NotePath build_note_path(std::string_view drive, std::string_view title);

// ==== The note file ====

// A note is first written under a temporary name in its own folder. The name
// does not end in ".txt", so the notes application never lists one.
inline constexpr int temporary_name_attempts = 100;
std::string temporary_name(unsigned long process_id, int attempt);

// The note's bytes: the comment, two CR LF line breaks, the body.
std::string note_contents(const NoteDraft& draft);

// Writes the note at a usable path, replacing any note there in one step, and returns
// true only once the note and its name have reached the card. When it returns
// false the card holds the old note (or none) or, if the failure came after
// the replacement (a sync that failed), the whole new note: never a mixture,
// and no temporary file.
bool write_note_file(const NotePath& path, const NoteDraft& draft);

// ==== The save step ====

// Asks for the drive and writes the note. True when the note was saved.
bool save_note(Console& console, const MessageCatalogue& texts, const NoteDraft& draft);
