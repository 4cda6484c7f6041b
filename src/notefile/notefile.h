#pragma once

#include <cstddef>
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
  bool usable = false;  // false when the drive or the title is refused
};

// The longest drive answer each host takes. Where there are no drive letters
// the answer is the card's mount point, so a whole path must fit.
inline constexpr std::size_t max_windows_drive_length = 32;
inline constexpr std::size_t max_posix_drive_length = 4096;  // PATH_MAX on Linux
#ifdef _WIN32
inline constexpr std::size_t max_drive_length = max_windows_drive_length;
#else
inline constexpr std::size_t max_drive_length = max_posix_drive_length;
#endif

// The longest file name the card's file system takes, ".txt" included.
inline constexpr std::size_t max_file_name_length = 255;

// Whether the title can stand as a file name in the notes folder and nowhere
// else: no separator, nothing FAT refuses, no Windows device name.
bool is_safe_title(std::string_view title);
// Whether a file name's part before its first dot opens a device on Windows:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 in any case, with
// the superscript digits 1, 2 and 3 as 8-bit (Windows-1252) or UTF-8 bytes too.
bool is_windows_device_name(std::string_view stem);

// "<drive>:\PSP\GAME\Velloran\notes\<title>.txt"; the drive must be one letter.
NotePath windows_note_path(std::string_view drive, std::string_view title);
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

// Writes the note at path, replacing any note there in one step, and returns
// true only once the note and its name have reached the card. When it returns
// false the card holds the old note (or none) or, if the failure came after
// the replacement (a sync that failed), the whole new note: never a mixture,
// and no temporary file.
bool write_note_file(const std::string& path, const NoteDraft& draft);

// ==== The save step ====

// Asks for the drive and writes the note. True when the note was saved.
bool save_note(Console& console, const MessageCatalogue& texts, const NoteDraft& draft);
