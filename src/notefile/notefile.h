#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/code_page.h"
#include "console/console.h"
#include "messages/messages.h"
#include "note_draft.h"

// ==== Why a note was not saved ====

enum class SaveFault {
  none,
  no_card,          // the drive or mount point is not there
  no_notes_folder,  // the card is, but a folder of PSP/GAME/Velloran/notes is not
  read_only,        // a read-only file system, or a write-protected card
  not_permitted,    // the user may not write there
  name_refused,     // the card refuses the note's name: detail holds it
  note_is_folder,   // Windows: a folder has the note's name
  note_in_use,      // Windows: the old note is open in another program
  full,
  path_too_long,  // too long for this drive, or the answer too long for any path
  other,          // detail holds the system's own words
};

// The steps of a save, for what a failure says: a name is refused only
// where it is given.
enum class SaveStep { open_folder, create, write, rename, rename_new, sync };

struct SaveResult {
  SaveFault fault = SaveFault::none;
  std::string detail;  // what the failure line shows: a path, with the system's words for other
};

// ==== Where a note goes ====

// A note's path as composed from the drive answer and the title; shown as it
// is when the note cannot be saved. Never used when not usable.
struct NotePath {
  std::string text;
  std::string folder;                 // the notes folder, with its final separator
  std::string card;                   // the card's root, without a final separator
  bool usable = false;                // false when the drive or the title is refused
  SaveFault fault = SaveFault::none;  // why it is not usable
  std::u16string windows_name;        // Windows: the title decoded, with ".txt"
};

// The notes folder below the card's root, one folder at a time.
inline constexpr std::array<std::string_view, 4> notes_folders = {"PSP", "GAME", "Velloran",
                                                                  "notes"};

// The longest note path on POSIX hosts, PATH_MAX less its NUL. Where there
// are no drive letters the answer is the card's mount point, so a longer
// answer can never make a path; it is refused, not cut. (Final slashes are
// dropped from it, so the path's own bound does not cover the answer.)
inline constexpr std::size_t max_posix_path_length = 4095;

// The longest file name the card's file system takes, ".txt" included.
inline constexpr std::size_t max_file_name_length = 255;
inline constexpr std::string_view note_extension = ".txt";

// What keeps a title from naming a note, if anything.
struct TitleProblem {
  enum Kind {
    none,
    empty,
    too_long,
    character,         // what: the character, a separator or one FAT refuses
    control,           // a control character
    device_name,       // what: the name as typed, before its first dot
    not_in_code_page,  // Windows: not valid in the code page it was typed in
  } kind = none;
  std::string what;
};

// Whether the title can stand as a file name in the notes folder and nowhere
// else: no separator, nothing FAT refuses, no Windows device name.
TitleProblem find_title_problem(std::string_view title);
bool is_safe_title(std::string_view title);
// Whether a file name's part before its first dot opens a device on Windows:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 in any case, with
// the superscript digits 1, 2 and 3 as 8-bit (Windows-1252) or UTF-8 bytes too.
bool is_windows_device_name(std::string_view stem);
// A single letter, A to Z in either case.
bool is_drive_letter(std::string_view drive);
// The drive letter an answer names: E, e, E:, E:\ and E:/ all name E.
std::optional<char> named_drive_letter(std::string_view answer);
// Whether a character (a byte, or a decoded code point) may stand in a
// title: no separator, no control character, nothing FAT refuses.
bool is_allowed_in_title(char32_t c);
bool is_control_character(char32_t c);
// The same rules as find_title_problem, for a title decoded to UTF-16 as
// Windows names files: the length counts UTF-16 units, as FAT does.
TitleProblem find_windows_title_problem(std::u16string_view title);
// The title rules of the host this program runs on; on Windows the title is
// decoded from the code page it was typed in.
TitleProblem find_host_title_problem(std::string_view title);

// "<drive>:\PSP\GAME\Velloran\notes\<title>.txt"; the drive must name one
// letter, and the title is decoded from code_page alone, then checked.
NotePath windows_note_path(std::string_view drive, std::string_view title, unsigned code_page);
// "<mount>/PSP/GAME/Velloran/notes/<title>.txt"; a drive letter X names
// /mnt/x, and ~ or ~/... begins at home when there is one.
NotePath posix_note_path(std::string_view drive, std::string_view title,
                         std::string_view home = {});
// The path rules of the host this program runs on.
NotePath build_note_path(std::string_view drive, std::string_view title);

// ==== The note file ====

// A note is first written under a temporary name in its own folder. The name
// does not end in ".txt", so the notes application never lists one.
inline constexpr int temporary_name_attempts = 100;
std::string temporary_name(unsigned long process_id, int attempt);

// The note's bytes: the comment, two CR LF line breaks, the body.
std::string note_contents(const NoteDraft& draft);

// Writes the note at a usable path, replacing any note there in one step, and
// says it was saved only once the note and its name have reached the card.
// When it was not, the card holds the old note (or none) or, if the failure
// came after the replacement (a sync that failed), the whole new note: never
// a mixture, and no temporary file.
SaveResult write_note_file(const NotePath& path, const NoteDraft& draft);

// A note's bytes read back: the comment is what stands before the first
// CR LF CR LF, the note what follows; without it, all is note. A UTF-8 mark
// is dropped.
NoteDraft note_from_contents(std::string_view bytes);
// Host-specific: the titles of the notes in a notes folder, sorted by name.
std::vector<std::string> notes_in_folder(const std::string& folder);
// Host-specific: a note's bytes, at most limit of them; nothing when it
// cannot be read (why, in the system's words) or is longer.
std::optional<std::string> read_note(const NotePath& path, std::size_t limit, std::string& why);
// Host-specific: removes a note; false when it could not be.
bool remove_note(const NotePath& path);

// Host-specific: whether path names a folder.
bool is_folder(const std::string& path);
// Host-specific: whether a note (or anything but a folder) is at the path.
bool note_exists(const NotePath& path);
// Host-specific: the note's path from the file system's root.
std::string full_note_path(const NotePath& path);
// Host-specific: the card a path is on, in one spelling whatever was typed:
// on POSIX its absolute path without a final slash, on Windows "K:".
std::string card_spelling(const NotePath& path);
// The card an answer names when it is the notes folder itself, pasted from
// a file manager: what stands before PSP/GAME/Velloran/notes (either
// separator and any case on Windows); else the answer as it is.
std::string_view card_in_answer(std::string_view answer, bool windows);
#ifdef _WIN32
// What a Windows error at a step of a save means, target_attributes being
// the note's place's (INVALID_FILE_ATTRIBUTES when nothing is there).
SaveFault windows_save_fault(unsigned long error, SaveStep step, unsigned long target_attributes);
#else
// What an errno at a step of a save means.
SaveFault posix_save_fault(int error, SaveStep step);
#endif
// The test suite's way to have the card refuse a name: the note's file name
// is refused when it is this variable's value.
inline constexpr const char* refused_name_variable = "NOTECREATOR_TEST_REFUSED_NAME";
bool refused_by_test(std::string_view name);
// Where the notes folder could not be opened: the card missing, or which of
// its folders is.
SaveResult find_missing_folder(const NotePath& path, char separator);
// What a fault shows: the path, the missing folder, the refused name, or the
// path with the system's own words.
SaveResult save_failure(const NotePath& path, SaveFault fault, char separator,
                        const std::string& system_words);

// ==== Finding the card ====

struct Mount {
  std::string point;  // a mount point, or a drive as "E:"
  std::string type;   // its file system; empty where the host chose the drives already
};

// A folder as the file system knows it: one card at two mount points has
// one notes folder.
struct FolderId {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  bool operator==(const FolderId&) const = default;
};

// root, then PSP, GAME, Velloran and notes, joined by separator.
std::string notes_folder_below(std::string_view root, char separator);
// Whether a mount is of a local file system that can carry a card, so that
// a look at it answers (no network share, no FUSE server that may not).
bool may_hold_card(const Mount& mount);
// The mounts that hold the notes folder, each card once under its shortest
// mount point. All the looks together take half a second at most: a mount
// that has not answered by then is not offered, nor looked at again.
std::vector<std::string> cards_among(const std::vector<Mount>& mounts, char separator);
// Host-specific: the folder a path names; nothing when it names none.
std::optional<FolderId> folder_identity(const std::string& path);
// A look at a folder: whether it answered in time, and what it found.
struct FolderLook {
  bool answered = false;
  std::optional<FolderId> id;
};
// What is left of a search's time at now, in milliseconds: none once the
// deadline has passed (a late look never waits on).
unsigned long long time_left_ms(unsigned long long now, unsigned long long deadline);
// Host-specific: looks at the folders side by side, each where a look stuck
// in the kernel holds nothing else, for at most this long in all.
std::vector<FolderLook> look_at_folders(const std::vector<std::string>& folders,
                                        unsigned milliseconds);
#ifndef _WIN32
// The mounts listed in a mount table such as /proc/self/mounts.
std::vector<Mount> mounts_in_table(std::string_view table);
#endif
// Host-specific: an answer that names a card, in this host's form, for the
// hint when none is found: on Linux where the desktop mounts it for this
// user (/media/<user>/NO NAME, or /run/media/<user>/... where that is used;
// someone, in the user's language, when the user's name is not known).
std::string card_answer_example(std::string_view someone);
// Host-specific: the cards in reach, as the drive question would take them.
std::vector<std::string> find_cards();
// Whether the card's notes folder is there, looked at for a bounded time.
bool holds_notes_folder(const std::string& card, char separator);
// The host's path separator.
#ifdef _WIN32
inline constexpr char host_separator = '\\';
#else
inline constexpr char host_separator = '/';
#endif

// ==== The save step ====

// The line that says why a save failed.
std::string failure_line(const MessageCatalogue& texts, const SaveResult& result);

// The drive question, asked until an answer names a place; why the last try
// failed stands above it, where the user types the next. For people (lines),
// the cards in reach are looked for: one is offered, and an empty line takes
// it; several are listed by number, the card used for the last note (used)
// first while it holds the notes folder. A number not listed is refused.
// Nothing when the input has ended.
std::optional<Answer> ask_for_card(Console& console, const MessageCatalogue& texts,
                                   const SaveResult& last, bool lines, std::string_view used = {});
// Writes the note where the drive answer and the title put it, saying so:
// "Creating the note...", then "Done!" and, for people, where it went.
// Saved, the note is let go of (saved is called) before a signal held
// through the save acts, and before any pause.
SaveResult write_note_step(Console& console, const MessageCatalogue& texts, const Answer& drive,
                           const NotePath& path, const NoteDraft& draft, bool lines,
                           const std::function<void()>& saved = {});
