#pragma once

// The note written in the user's own editor, as command-line programs with a
// message to write have long done: a draft file named after the title in
// a folder of the user's that lasts, the editor run on it at the terminal,
// and the draft read back as the note.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "messages/messages.h"

struct Editor {
  std::string command;    // a command line, maybe with arguments; the draft's path follows it
  std::string name;       // what the screen calls it: its program's own name
  bool host_own = false;  // the host's own, found by the program rather than named by the user
};

// A draft file: where it is, and that path as the console shows it. While
// any copy of it lives, its name is held: another run of the program takes
// another name rather than write over it.
struct Draft {
  std::string path;
  std::string shown;
  bool kept = false;            // it holds a note an earlier run kept, and opens with it
  std::shared_ptr<void> claim;  // lets go of the name when the last copy goes
};

enum class EditorEnd { ended, failed, not_started };

// What the draft gives.
struct DraftNote {
  std::string text;  // the note, when nothing below is set
  bool unreadable = false;
  bool too_long = false;  // past the bound for a note
  std::string refused;    // a character the note's encoding cannot hold
};

// A command line's program: its first word, in quotes or not.
std::string_view command_program(std::string_view command);
// The name of a command line's program: "code --wait" is code,
// "/usr/bin/nano -w" is nano, "C:\Windows\notepad.exe" is notepad.
std::string editor_name(std::string_view command);

// At most the first most bytes of a UTF-8 title, cut between two
// characters, never inside one (a file system such as APFS refuses half).
std::string_view utf8_prefix(std::string_view title, std::size_t most);

// What a draft's name ends with when the title is cut to make it: a blank
// and a digest of the whole title, so that two titles never share a draft.
inline constexpr std::size_t title_digest_length = 9;
std::string title_digest(std::string_view title);
// A draft's name for a UTF-8 title, without ".txt": the title, or, longer
// than most bytes, its start and its digest in most bytes at the most.
std::string draft_stem(std::string_view title, std::size_t most);

// The keys that save and close an editor, for those people meet first
// (nano, vi and vim, Notepad); empty for others.
std::string_view editor_keys(const MessageCatalogue& texts, std::string_view name);

// The note a draft's bytes hold: a UTF-8 byte-order mark dropped, each line
// break (LF or CR LF) made CR LF, and none at the end, as a note always was.
std::string note_from_draft(std::string_view bytes);

#ifdef _WIN32
// The command line that starts the user's editor command on the draft: the
// command and the draft's path in quotes; through the command processor at
// that path when one is given, the path then in a variable of the
// program's, out of reach of the processor's expansion.
std::wstring editor_command_line(std::wstring_view command, std::wstring_view draft,
                                 std::wstring_view command_processor);
#endif

// Host-specific: VISUAL, else EDITOR, else the host's own (the first of
// editor, nano and vi on the PATH, called by the program editor names;
// Notepad on Windows).
std::optional<Editor> choose_editor();

// Whether a draft left by an earlier run may be the new one.
enum class KeptDrafts { offered, passed_over };

// The draft for a title, in the user's drafts folder (the temporary folder
// when it cannot be made), named after the title: the draft an earlier run
// of the user's kept there, not empty, when offered and no running program
// has it; else a new, empty file (another name when that one is taken or
// held, or another user's).
std::optional<Draft> make_draft(std::string_view title, KeptDrafts kept);

// ==== The host's calls for a draft's name ====

// Host-specific: the drafts folder with its final separator (made when it
// is not there; a lock no run holds in it removed); nothing when none.
std::optional<std::string> drafts_folder_path();
// Host-specific: the title as a draft's name in that folder, without
// ".txt": cut, with its digest, to what the host's names and paths hold.
std::optional<std::string> draft_stem_in(std::string_view title, const std::string& folder);
enum class NameClaim { held, taken, failed };
// Host-specific: holds a name in the folder for this run, for as long as
// claim lives; taken when another run or another user holds it.
NameClaim claim_draft_name(const std::string& folder, const std::string& name,
                           std::shared_ptr<void>& claim);
enum class NewDraft { made, exists, failed };
// Host-specific: makes the draft's file, new and empty.
NewDraft create_draft_file(const std::string& path);
// Host-specific: a file an earlier run left at a draft's path: whether it
// is the user's own file (not a folder, a link, or another user's), and
// whether it holds anything.
struct LeftDraft {
  bool own = false;
  bool holds = false;
};
LeftDraft left_draft(const std::string& path);
// Host-specific: a path as the console shows it.
std::string shown_path(const std::string& path);

// Host-specific: runs the editor on the draft, with the terminal handed
// over to it, and waits for it to end.
EditorEnd run_editor(Console& console, const Editor& editor, const Draft& draft);

// Host-specific: the note a draft holds, at most max_length bytes, in the
// encoding the title and the comment arrive in.
DraftNote read_draft(const Draft& draft, std::size_t max_length);

// Host-specific: puts a note typed after all in the draft, as its bytes are,
// so that the draft keeps it; false when it could not.
bool write_draft(const Draft& draft, std::string_view note);

// Host-specific: deletes the draft; false when it could not be.
bool remove_draft(const Draft& draft);
