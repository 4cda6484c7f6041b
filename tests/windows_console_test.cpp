// The Windows build at a real console: under Wine in a pseudo-terminal, as
// a double-click starts it, with Notepad on a virtual display (xvfb-run)
// and typed into by xdotool, and the card on a drive letter of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "card.h"
#include "terminal.h"

namespace fs = std::filesystem;

namespace {

// Ctrl-C's status, STATUS_CONTROL_C_EXIT, as a Unix parent sees it: its low byte.
constexpr int control_c_exit = 0x3a;

struct Session {
  const char* name;
  std::vector<std::string> environment;  // more of it; "DISPLAY=" takes the display away
  std::vector<Typing> typing;            // @CARD@ is the card's letter, @NOTEPAD@ the helper
  int status;
  std::string title;               // the note's title on the card ("" when none is saved)
  std::string note;                // what the card holds under it
  std::vector<std::string> shown;  // text the screen shows, in this order
  bool draft_kept = false;         // the draft stays, named
};

void PrintTo(const Session& session, std::ostream* os) {
  *os << session.name;
}

class WindowsConsole : public testing::TestWithParam<Session> {};

std::string replaced(std::string text, const std::string& what, const std::string& with) {
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// Wine's mount manager learns of drive letters when its server starts.
void restart_wine_server() {
  const std::string wine = WINE64;
  const std::string server = (fs::path(wine).parent_path() / "wineserver").string();
  const std::string quiet = " </dev/null >/dev/null 2>&1";
  (void)!std::system(("'" + server + "' -k" + quiet + "; '" + server + "' -p" + quiet + "; '" +
                      wine + "' wineboot" + quiet)
                         .c_str());
}

TEST_P(WindowsConsole, RunsAsAPersonSeesIt) {
  const Session& c = GetParam();
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix == nullptr || access(WINE64, X_OK) != 0 || std::getenv("DISPLAY") == nullptr)
    GTEST_SKIP() << "needs Wine, a prefix and a display (xvfb-run)";
  Scratch scratch;
  const fs::path card = scratch.path / "card";
  const fs::path work = scratch.path / "work";
  lay_out_card(card, "folders");
  fs::create_directories(work);
  // A notepad.exe where the program starts, as in a Downloads folder: never
  // to be run. Were it, a second welcome would show.
  fs::copy_file(fs::path(NOTECREATOR_EXE), work / "notepad.exe");
  const fs::path letter_link = fs::path(prefix) / "dosdevices" / "k:";
  fs::remove(letter_link);
  fs::create_directory_symlink(card, letter_link);
  restart_wine_server();

  std::vector<Typing> typing;
  for (Typing step : c.typing) {
    step.keys = replaced(step.keys, "@NOTEPAD@", "sh " NOTEPAD_SCRIPT);
    typing.push_back(step);
  }
  Job job;
  job.screen_only = true;
  job.quiet_seconds = 60;
  job.arguments = {NOTECREATOR_EXE};
  job.environment = {"LANG=C.UTF-8", "LC_ALL=C.UTF-8"};
  job.environment.insert(job.environment.end(), c.environment.begin(), c.environment.end());
  const fs::path here = fs::current_path();
  fs::current_path(work);
  const PtyRun run = run_on_terminal(WINE64, typing, job);
  fs::current_path(here);
  fs::remove(letter_link);
  restart_wine_server();

  ASSERT_TRUE(run.started);
  EXPECT_TRUE(exited_with(run.wait_status, c.status)) << "wait status " << run.wait_status;
  std::size_t at = 0;
  for (const std::string& text : c.shown) {
    const auto found = run.output.find(text, at);
    EXPECT_NE(found, std::string::npos) << "not shown: " << text << "\n" << run.output;
    if (found != std::string::npos) at = found + text.size();
  }
  const std::string welcome = "Welcome";
  EXPECT_EQ(run.output.find(welcome), run.output.rfind(welcome)) << "the planted notepad.exe ran";
  const fs::path notes = card / notes_below_root;
  if (c.title.empty())
    EXPECT_TRUE(fs::is_empty(notes));
  else
    EXPECT_EQ(read_file(notes / (c.title + ".txt")), c.note);
  // The draft is gone once the note is saved, or given up.
  const fs::path temporary = fs::path(prefix) / "drive_c" / "users";
  bool draft_left = false;
  for (const auto& entry : fs::recursive_directory_iterator(temporary))
    if (entry.path().parent_path().filename() == "Temp" && entry.path().extension() == ".txt") {
      draft_left = true;
      fs::remove(entry.path());
    }
  EXPECT_EQ(draft_left, c.draft_kept);
}

const std::string TITLE = "Title of the note :";
const std::string YES_NO = "(y/n) ";
const std::string IN_NOTEPAD = "Write the note in Notepad";
const std::string SAVE = "Wourld you save this note?";
const std::string CARD = "What is the letter of your PSP?";
const std::string PRESS_ENTER = "Press Enter to close.";

INSTANTIATE_TEST_SUITE_P(
    Terminal, WindowsConsole,
    testing::Values(
        // A double-click's whole session: Notepad, the card offered, the window kept.
        Session{"WholeSessionThroughNotepad",
                {},
                {{TITLE, "visit\r"},
                 {YES_NO, "n\r"},
                 {IN_NOTEPAD, "@run @NOTEPAD@ type 'first paragraph\n\nsecond'"},
                 {SAVE, ""},
                 {YES_NO, "y\r"},
                 {"press Enter to use it", "\r"},
                 {PRESS_ENTER, "\r"}},
                0,
                "visit",
                "\r\n\r\nfirst paragraph\r\n\r\nsecond",
                {"Welcome", IN_NOTEPAD, SAVE, "first paragraph", "second", CARD,
                 "(found: K: - press Enter to use it)", "Done!",
                 "Saved as K:\\PSP\\GAME\\Velloran\\notes\\visit.txt", PRESS_ENTER}},
        // Closed without a word written: the program asks, and a no gives the
        // note up. A title with a character the console's code page lacks is
        // refused first, by its name.
        Session{"NotepadClosedWithoutSaving",
                {},
                {{TITLE,
                  "\xe2\x82\xac"
                  "5\r"},
                 {"U+20AC", "visit\r"},
                 {YES_NO, "n\r"},
                 {IN_NOTEPAD, "@run @NOTEPAD@ close"},
                 {"Open the editor again?", "n\r"}},
                0,
                "",
                "",
                {"The console's code page cannot hold the character U+20AC", IN_NOTEPAD,
                 "The note is empty. Open the editor again?", "The note was not saved."}},
        // No display: Notepad cannot start, and the note is typed.
        Session{"NoDisplayTypedLines",
                {"DISPLAY="},
                {{TITLE, "visit\r"},
                 {YES_NO, "n\r"},
                 {"type the note here instead.", "bread\r\r"},
                 {SAVE, ""},
                 {YES_NO, "y\r"},
                 {"press Enter to use it", "\r"},
                 {PRESS_ENTER, "\r"}},
                0,
                "visit",
                "\r\n\r\nbread",
                {"type the note here instead.", SAVE, "bread", "Done!"}},
        // Ctrl-C at the summary: the draft kept and named, and the console's status.
        Session{"CtrlCAtTheSummary",
                {},
                {{TITLE, "visit\r"},
                 {YES_NO, "n\r"},
                 {IN_NOTEPAD, "@run @NOTEPAD@ type 'bread'"},
                 {SAVE, ""},
                 {YES_NO, "\x03"}},
                control_c_exit,
                "",
                "",
                {SAVE, "The note you wrote is kept in C:\\users\\"},
                true},
        // The user's editor, a program, gets the draft's own path: nothing in
        // the title is expanded, and a long one still fits.
        Session{"TheUsersEditorGetsTheDraftsOwnPath",
                {"EDITOR=notepad"},
                {{TITLE, "plan %os% week " + std::string(225, 'x') + "\r"},
                 {YES_NO, "n\r"},
                 {"Write the note in notepad", "@run @NOTEPAD@ type 'bread'"},
                 {SAVE, ""},
                 {YES_NO, "y\r"},
                 {"press Enter to use it", "\r"},
                 {PRESS_ENTER, "\r"}},
                0,
                "plan %os% week " + std::string(225, 'x'),
                "\r\n\r\nbread",
                {"Done!"}}),
    [](const testing::TestParamInfo<Session>& info) { return std::string(info.param.name); });

}  // namespace
