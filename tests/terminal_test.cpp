// The program on a real pseudo-terminal: where it colours, clears and puts
// the terminal back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#if __has_include(<pty.h>)
#include <pty.h>
#else
#include <util.h>  // forkpty on macOS and the BSDs
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "card.h"
#include "text.h"

namespace {

const std::string RED_ON_BLACK = "\x1b[91;40m";
const std::string CLEAR = "\x1b[H\x1b[2J";
const std::string RESET = "\x1b[0m";
// What the shell of run_on_terminal shows when the program stops, and as it
// continues it as bg or fg would.
const std::string STOPPED = "<stopped>";
const std::string BG = "<bg>";
const std::string FG = "<fg>";

// The French welcome screen, and the rest of a run that types
// "Courses\nn\nPain\nn\n" at the title prompt.
const std::string WELCOME =
    "\t                           Bienvenue\n\n"
    "\t***->->Createur de notes pour Velloran par Dorvik [FR]<-<-***\n\n";
const std::string TITLE_SCREEN = CLEAR + "Titre de la note:\n";
const std::string WELCOME_FOR_PEOPLE =
    "\t                           Bienvenue\n\n"
    "\t***->->Créateur de notes pour Velloran par Dorvik [FR]<-<-***\n\n";
const std::string DECLINED_NOTE = "Courses\nn\nPain\nn\n";
std::string after_declined_note(const std::string& clear) {
  return clear + "Voulez-vous inserer un commentaire?\n(o/n) " + clear + "Entrez la note:\n" +
         clear +
         "Voulez-vous sauver cette "
         "note?\n\n\n\nTitre:\nCourses\n\nCommentaire:\n\n\nNote:\nPain\n\n(o/n) ";
}
const std::string AFTER_DECLINED_NOTE = after_declined_note(CLEAR);

// Keys typed once some text has appeared ("" for at once); "@run " and a
// command for sh, run and waited for instead (a person at another window);
// "@rows " and a height, the window resized to it.
struct Typing {
  std::string after;
  std::string keys;
};

struct PtyRun {
  bool started = false;
  std::string raw;     // what the terminal got
  std::string output;  // and its text: without escapes, for a console that draws its screen
  int wait_status = 0;
};

// How the job is started and what its shell does.
struct Job {
  bool in_background = false;            // started with &
  std::string continue_as;               // at each stop, 'b' continues it as bg would; else as fg
  std::vector<std::string> environment;  // NAME=value, set for the program
  std::vector<std::string> arguments;    // the program's
  bool shows_leftover = false;           // once it ends, the shell shows what input is left
  std::vector<int> ignored;              // signals ignored by whoever started it
  bool draws_screen = false;  // a console drawing its own screen (Wine's): raw keys, text read
                              // without the escapes that draw it
  unsigned short rows = 0;    // the terminal's height, 80 columns wide; 0: no size known
};

Job continued_as(std::string how) {
  Job job;
  job.continue_as = std::move(how);
  return job;
}
Job started_in_background() {
  Job job;
  job.in_background = true;
  return job;
}
// With --lines, in a UTF-8 locale.
Job for_people(Job job) {
  job.environment.push_back("LC_ALL=C.UTF-8");
  job.arguments.push_back("-l");
  return job;
}
Job with_environment(std::string variable) {
  Job job;
  job.environment = {std::move(variable)};
  return job;
}

// Says what the shell does, as a shell's own lines would.
void shell_says(const std::string& text) {
  (void)!write(STDOUT_FILENO, text.data(), text.size());
}

// In the child that owns the new terminal: runs the program as a shell runs
// a job, in a process group of its own, so that Ctrl-Z stops it (the stop is
// discarded in an orphaned group). Continues it when it stops, and ends as
// the program did.
[[noreturn]] void run_as_job(const char* program, const Job& options) {
  signal(SIGTTOU, SIG_IGN);  // tcsetpgrp from a background group, as shells do
  const pid_t job = fork();
  if (job == 0) {
    setpgid(0, 0);
    if (!options.in_background) tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
    for (const int signal_number : options.ignored) signal(signal_number, SIG_IGN);
    for (const auto& variable : options.environment) putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> argv = {const_cast<char*>(program)};
    for (const auto& argument : options.arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program, argv.data());
    _exit(127);
  }
  setpgid(job, job);
  int status = 0;
  for (std::size_t stops = 0; waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status);
       ++stops) {
    shell_says(STOPPED);
    const bool background = stops < options.continue_as.size() && options.continue_as[stops] == 'b';
    tcsetpgrp(STDIN_FILENO, background ? getpgrp() : job);
    shell_says(background ? BG : FG);
    kill(-job, SIGCONT);
  }
  if (options.shows_leftover) {
    tcsetpgrp(STDIN_FILENO, getpgrp());  // the terminal is the shell's again
    fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    std::array<char, 256> left{};
    const ssize_t got = read(STDIN_FILENO, left.data(), left.size());
    shell_says("<left:" +
               std::string(left.data(), static_cast<std::size_t>(std::max<ssize_t>(got, 0))) + ">");
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 126);
}

// Text without the escape sequences that place and colour it.
std::string without_escapes(const std::string& output) {
  std::string text;
  for (std::size_t at = 0; at < output.size(); ++at) {
    if (output[at] != '\x1b') {
      text.push_back(output[at]);
    } else if (output.substr(at + 1, 1) == "[") {  // CSI: up to its final byte
      for (at += 2; at < output.size() && (output[at] < '@' || output[at] > '~');) ++at;
    } else if (output.substr(at + 1, 1) == "]") {  // OSC, a window's title: up to BEL
      at = std::min(output.find('\a', at), output.size());
    } else {
      ++at;
    }
  }
  return text;
}

// Runs program on a new pseudo-terminal, with echo off so that only the
// program's own output comes back, typing each step's keys once its text
// has appeared.
PtyRun run_on_terminal(const char* program, std::vector<Typing> typing, const Job& job = {}) {
  PtyRun run;
  int master = -1;
  winsize size = {job.rows, 80, 0, 0};
  const pid_t child = forkpty(&master, nullptr, nullptr, job.rows > 0 ? &size : nullptr);
  if (child < 0) return run;
  if (child == 0) run_as_job(program, job);
  run.started = true;
  termios settings{};
  tcgetattr(master, &settings);
  if (job.draws_screen) {
    cfmakeraw(&settings);      // Enter reaches the console as CR
    settings.c_lflag |= ISIG;  // and Ctrl-C is the terminal's signal, as ever
  } else {
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  }
  tcsetattr(master, TCSANOW, &settings);

  std::string raw;
  std::size_t typed = 0, seen = 0;
  while (true) {
    run.output = job.draws_screen ? without_escapes(raw) : raw;
    while (typed < typing.size()) {
      const auto at = run.output.find(typing[typed].after, seen);
      if (at == std::string::npos) break;
      seen = at + typing[typed].after.size();
      const std::string& keys = typing[typed].keys;
      if (keys.starts_with("@run ")) {
        (void)!std::system(keys.substr(5).c_str());
      } else if (keys.starts_with("@rows ")) {  // the window resized
        winsize resized = {static_cast<unsigned short>(std::stoi(keys.substr(6))), 80, 0, 0};
        ioctl(master, TIOCSWINSZ, &resized);
      } else {
        (void)!write(master, keys.data(), keys.size());
      }
      ++typed;
    }
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 60000) <= 0) break;  // a program that hangs fails below
    char buffer[4096];
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) break;  // EIO once the program has closed the terminal
    raw.append(buffer, static_cast<std::size_t>(got));
  }
  run.output = job.draws_screen ? without_escapes(raw) : raw;
  run.raw = raw;
  kill(child, SIGKILL);  // no effect on a program that has ended
  close(master);         // hangs up a program left behind
  waitpid(child, &run.wait_status, 0);
  return run;
}

PtyRun run_french(const std::string& input, const std::string& interrupt_after = "") {
  std::vector<Typing> typing = {{"", input}};
  if (!interrupt_after.empty()) typing.push_back({interrupt_after, "\x03"});
  return run_on_terminal(NOTECREATOR_FR, typing);
}

// A negative status is the signal that ended the run.
bool exited_with(int wait_status, int status) {
  if (status < 0) return WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == -status;
  return WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == status;
}

TEST(Terminal, ColoursFirstClearsBetweenScreensAndResetsAtTheEnd) {
  Scratch card;
  lay_out_card(card.path, "folders");
  const PtyRun run = run_french("Courses\no\nAcheter\nPain\no\n" + card.path.string() + "\n");
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 0)) << "wait status " << run.wait_status;
  EXPECT_EQ(read_file(card.path / notes_below_root / "Courses.txt"), "Acheter\r\n\r\nPain");
  // One screen a line, each after the clear that starts it. A terminal turns
  // each line feed into CR LF on its way out.
  // clang-format off
  const std::string expected =
      RED_ON_BLACK + WELCOME +
      TITLE_SCREEN +
      CLEAR + "Voulez-vous inserer un commentaire?\n(o/n) " +
      CLEAR + "Entrez le commentaire de la note:\n" +
      CLEAR + "Entrez la note:\n" +
      CLEAR + "Voulez-vous sauver cette note?\n\n\n\n"
              "Titre:\nCourses\n\nCommentaire:\nAcheter\n\nNote:\nPain\n\n(o/n) " +
      CLEAR + "Quelle est la lettre de votre PSP?\n" +
      CLEAR + "Creation de la note...\nNote cree!\n" +
      RESET;
  // clang-format on
  EXPECT_EQ(run.output, to_crlf(expected));
}

// The reason stands above the drive question asked again, where the next
// answer is typed; Ctrl-D there ends the run.
TEST(Terminal, AFailedSaveShowsWhyAboveTheDriveQuestionAgain) {
  Scratch card;  // no folders on it
  const PtyRun run = run_on_terminal(
      NOTECREATOR_FR,
      {{"", "Courses\nn\nPain\no\n" + card.path.string() + "\n"}, {"pas de dossier", "\x04"}});
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 1)) << "wait status " << run.wait_status;
  const std::string end =
      to_crlf(CLEAR + "Creation de la note...\n" + CLEAR +
              "La note n'a pas pu etre sauvee: la carte n'a pas de dossier " +
              (card.path / "PSP").string() +
              "\nQuelle est la lettre de votre PSP?\nLa note n'a pas ete sauvee.\n" + RESET);
  ASSERT_GE(run.output.size(), end.size());
  EXPECT_EQ(run.output.substr(run.output.size() - end.size()), end);
}

TEST(Terminal, DecliningTheCommentSkipsItsScreenButNotTheClear) {
  const PtyRun run = run_french("Courses\nn\nPain\nn\n");
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  const std::string after_question = "(o/n) ";
  const auto at = run.output.find(after_question);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(run.output.substr(at + after_question.size(), CLEAR.size() + 17),
            CLEAR + "Entrez la note:\r\n");
}

TEST(Terminal, CtrlCStillResetsTheAttributes) {
  const PtyRun run = run_french("", "Titre de la note:");
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(WIFSIGNALED(run.wait_status) && WTERMSIG(run.wait_status) == SIGINT)
      << "wait status " << run.wait_status;
  ASSERT_GE(run.output.size(), RESET.size());
  EXPECT_EQ(run.output.substr(run.output.size() - RESET.size()), RESET);
}

// The colours are the terminal's foreground job's alone: never written into
// the shell's screen, and never left there while the program is stopped.
struct JobRun {
  const char* name;
  Job job;
  std::vector<Typing> typing;
  std::string expected;
};

void PrintTo(const JobRun& run, std::ostream* os) {
  *os << run.name;
}

class JobControl : public testing::TestWithParam<JobRun> {};

TEST_P(JobControl, LeavesTheShellItsOwnColours) {
  const JobRun& c = GetParam();
  Scratch card;  // @CARD@ in what is typed
  lay_out_card(card.path, "folders");
  std::vector<Typing> typing = c.typing;
  for (Typing& step : typing)
    if (const auto at = step.keys.find("@CARD@"); at != std::string::npos)
      step.keys.replace(at, 6, card.path.string());
  const PtyRun run = run_on_terminal(NOTECREATOR_FR, typing, c.job);
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 0)) << "wait status " << run.wait_status;
  EXPECT_EQ(run.output, to_crlf(c.expected));
}

const std::string STOP_THEN_FG = RESET + STOPPED + FG + RED_ON_BLACK;

INSTANTIATE_TEST_SUITE_P(
    Terminal, JobControl,
    testing::Values(
        JobRun{"CtrlZThenFg",
               {},
               {{"Titre de la note:", "\x1a"}, {FG + RED_ON_BLACK, DECLINED_NOTE}},
               RED_ON_BLACK + WELCOME + TITLE_SCREEN + STOP_THEN_FG + AFTER_DECLINED_NOTE + RESET},
        // In the background its read stops it again, with nothing written.
        JobRun{"CtrlZThenBgThenFg",
               continued_as("b"),
               {{"Titre de la note:", "\x1a"}, {FG + RED_ON_BLACK, DECLINED_NOTE}},
               RED_ON_BLACK + WELCOME + TITLE_SCREEN + RESET + STOPPED + BG + STOPPED + FG +
                   RED_ON_BLACK + AFTER_DECLINED_NOTE + RESET},
        // For people, the question's screen is shown again.
        JobRun{"LinesCtrlZThenBgThenFg",
               for_people(continued_as("b")),
               {{"Titre de la note :", "\x1a"}, {FG + RED_ON_BLACK + CLEAR, "\x04"}},
               RED_ON_BLACK + WELCOME_FOR_PEOPLE + CLEAR + "Titre de la note :\n" + RESET +
                   STOPPED + BG + STOPPED + FG + RED_ON_BLACK + CLEAR + "Titre de la note :\n" +
                   RESET},
        // Started with &: no colours until it is brought to the foreground.
        JobRun{"StartedInTheBackgroundThenFg",
               started_in_background(),
               {{FG + RED_ON_BLACK, DECLINED_NOTE}},
               WELCOME + TITLE_SCREEN + STOPPED + FG + RED_ON_BLACK + AFTER_DECLINED_NOTE + RESET},
        // NO_COLOR leaves the colours alone, TERM=dumb the screen too.
        JobRun{"NoColour",
               with_environment("NO_COLOR=1"),
               {{"Titre de la note:", DECLINED_NOTE}},
               WELCOME + TITLE_SCREEN + AFTER_DECLINED_NOTE},
        // Set but empty, NO_COLOR asks for nothing.
        JobRun{"EmptyNoColour",
               with_environment("NO_COLOR="),
               {{"Titre de la note:", DECLINED_NOTE}},
               RED_ON_BLACK + WELCOME + TITLE_SCREEN + AFTER_DECLINED_NOTE + RESET},
        // Sent to the background once it has read its last answer: it ends
        // there, leaving the terminal's input to the shell.
        JobRun{"BgAfterTheLastAnswer",
               continued_as("b"),
               {{"Titre de la note:", "Courses\nn\nPain\no\n@CARD@\n"}, {"Note cree!", "\x1a"}},
               RED_ON_BLACK + WELCOME + TITLE_SCREEN + CLEAR +
                   "Voulez-vous inserer un commentaire?\n(o/n) " + CLEAR + "Entrez la note:\n" +
                   CLEAR +
                   "Voulez-vous sauver cette note?\n\n\n\nTitre:\nCourses\n\nCommentaire:\n\n\n"
                   "Note:\nPain\n\n(o/n) " +
                   CLEAR + "Quelle est la lettre de votre PSP?\n" + CLEAR +
                   "Creation de la note...\nNote cree!\n" + RESET + STOPPED + BG},
        JobRun{"DumbTerminal",
               with_environment("TERM=dumb"),
               {{"Titre de la note:", DECLINED_NOTE}},
               WELCOME + "Titre de la note:\n" + after_declined_note("")}),
    [](const testing::TestParamInfo<JobRun>& info) { return std::string(info.param.name); });

TEST(Terminal, CtrlCIgnoredByWhoeverStartedTheProgramStaysIgnored) {
  Job job;
  job.ignored = {SIGINT};
  const PtyRun run =
      run_on_terminal(NOTECREATOR_FR, {{"Titre de la note:", "\x03" + DECLINED_NOTE}}, job);
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 0)) << "wait status " << run.wait_status;
  EXPECT_EQ(run.output,
            to_crlf(RED_ON_BLACK + WELCOME + TITLE_SCREEN + AFTER_DECLINED_NOTE + RESET));
}

// Lines typed ahead of the questions never reach the shell as commands.
TEST(Terminal, WhatIsTypedAheadIsThrownAwayAtTheEnd) {
  Job job;
  job.shows_leftover = true;
  const PtyRun run =
      run_on_terminal(NOTECREATOR_FR, {{"Titre de la note:", DECLINED_NOTE + "rm -rf ~\n"}}, job);
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 0)) << "wait status " << run.wait_status;
  EXPECT_EQ(
      run.output,
      to_crlf(RED_ON_BLACK + WELCOME + TITLE_SCREEN + AFTER_DECLINED_NOTE + RESET) + "<left:>");
}

// ==== The note in the user's editor ====

// A fake editor, named by VISUAL, that does to the draft what its script says
// ($1 is the draft; $0.ran exists from its second run on).
struct EditorRun {
  const char* name;
  std::string script;
  std::vector<Typing> typing;  // after the title and the comment; @CARD@ is the card
  int status;
  std::string note;               // what the card holds afterwards, when saved
  std::string draft;              // what the draft holds afterwards, when kept
  std::string shown;              // a line the run must show
  std::vector<int> ignored = {};  // signals ignored by whoever started the program
  std::string old_draft = {};     // a draft of that name an earlier run kept
  std::string on_path = {};       // instead of VISUAL: the editor is this program on the PATH
  unsigned short rows = 0;        // the terminal's height, when known
  std::vector<std::string> arguments = {};  // after --lines
  bool others = false;       // another user's lock on the title's draft, and kept draft "(2)"
  std::string on_card = {};  // with --edit: the note Courses.txt on the card, changed
};

void PrintTo(const EditorRun& run, std::ostream* os) {
  *os << run.name;
}

class Editor : public testing::TestWithParam<EditorRun> {};

const std::string ANOTHER = "Écrire une autre note ?";

const std::string LONG_LINE(10000, 'x');

TEST_P(Editor, TakesTheNoteFromTheDraft) {
  const EditorRun& c = GetParam();
  Scratch scratch;
  const auto card = scratch.path / "card";
  const auto drafts = scratch.path / "state" / "notecreator" / "drafts";
  lay_out_card(card, "folders");
  std::filesystem::create_directories(drafts);
  if (!c.old_draft.empty()) write_file(drafts / "Courses.txt", c.old_draft);
  const std::vector<std::filesystem::path> theirs = {drafts / ".Courses.txt.lock",
                                                     drafts / "Courses (2).txt"};
  if (c.others)
    for (const auto& file : theirs) {
      write_file(file, "Beurre\n");
      ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);  // nobody's
    }
  const auto editor = scratch.path / "fake-editor";
  write_file(editor, "#!/bin/sh\n" + c.script + "\n: >\"$0.ran\"\n");
  std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
  std::vector<Typing> typing = {{"Titre de la note :", "Courses\nn\n"}};
  if (!c.on_card.empty()) {
    write_file(card / notes_below_root / "Courses.txt", c.on_card);
    typing = {{"lettre de votre PSP ?", card.string() + "\n"},
              {"(tapez son numéro ou son titre)", "1\n"}};
  }
  for (Typing step : c.typing) {
    if (const auto at = step.keys.find("@CARD@"); at != std::string::npos)
      step.keys.replace(at, 6, card.string());
    // Typed at once with the answers before it, in one write, as a paste.
    if (step.after.empty() && typing.size() == 1)
      typing[0].keys += step.keys;
    else
      typing.push_back(step);
  }
  // Saved, one note is enough.
  if (!c.note.empty() && typing.back().after != ANOTHER) typing.push_back({ANOTHER, "n\n"});
  Job job;
  job.arguments = {"--lines"};
  job.arguments.insert(job.arguments.end(), c.arguments.begin(), c.arguments.end());
  if (!c.on_card.empty()) job.arguments.push_back("--edit");
  job.environment = {"VISUAL=" + editor.string(), "LC_ALL=C.UTF-8",
                     "XDG_STATE_HOME=" + (scratch.path / "state").string()};
  if (!c.on_path.empty()) {
    // "editor->nano": Debian's editor, a link to the one its user chose.
    const auto link = c.on_path.find("->");
    const std::string program = link == std::string::npos ? c.on_path : c.on_path.substr(link + 2);
    std::filesystem::create_directory(scratch.path / "bin");
    std::filesystem::rename(editor, scratch.path / "bin" / program);
    if (link != std::string::npos)
      std::filesystem::create_symlink(program, scratch.path / "bin" / c.on_path.substr(0, link));
    job.environment[0] = "PATH=" + (scratch.path / "bin").string();
  }
  job.ignored = c.ignored;
  job.rows = c.rows;
  const PtyRun run = run_on_terminal(NOTECREATOR_FR, typing, job);
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, c.status)) << "wait status " << run.wait_status;
  EXPECT_NE(run.output.find(to_crlf(c.shown)), std::string::npos) << run.output;
  const auto note = card / notes_below_root / "Courses.txt";
  if (c.note.empty())
    EXPECT_FALSE(std::filesystem::exists(note));
  else
    EXPECT_EQ(read_file(note), c.note);
  // Gone once saved; kept, with what was written, when the run ended without.
  const auto draft = drafts / "Courses.txt";
  EXPECT_EQ(c.draft.empty() ? c.draft : read_file(draft), c.draft);
  // Bracketed paste, on while lines are typed, is off again on every end.
  const auto count = [&](const std::string& text) {
    std::size_t found = 0;
    for (auto at = run.raw.find(text); at != std::string::npos; at = run.raw.find(text, at + 1))
      ++found;
    return found;
  };
  EXPECT_EQ(count("\x1b[?2004h"), count("\x1b[?2004l"));
  // Nothing left behind, not the hidden file that held the draft's name;
  // and no end names a draft it does not keep.
  struct stat owner = {};
  EXPECT_EQ(std::count_if(std::filesystem::directory_iterator(drafts), {},
                          [&](const auto& file) {
                            return lstat(file.path().c_str(), &owner) == 0 &&
                                   owner.st_uid == getuid();
                          }),
            c.draft.empty() ? 0 : 1)
      << "a draft left behind";
  if (c.draft.empty()) {
    EXPECT_EQ(run.output.find("gardée dans"), std::string::npos);
  }
  for (const auto& file : c.others ? theirs : std::vector<std::filesystem::path>{})
    EXPECT_EQ(read_file(file), "Beurre\n") << "theirs: " << file;
  // The colours are taken back from the editor.
  const auto editor_hint = run.raw.rfind("enregistrez-la, et fermez");
  if (editor_hint != std::string::npos) {
    EXPECT_GT(run.raw.rfind(RED_ON_BLACK), editor_hint) << "no colours after the editor";
  }
}

const std::string SAVE_QUESTION = "Voulez-vous enregistrer cette note ?";
const std::vector<Typing> SAVED = {{SAVE_QUESTION, "o\n"}, {"lettre de votre PSP ?", "@CARD@\n"}};
const std::string FAILED = "échec : tapez la note ici.";
const std::string EMPTY = "La note est vide. Ouvrir l'éditeur à nouveau ?";
const std::string TYPED_KEPT = "La note que vous avez écrite est gardée dans ";
std::string numbered_lines(int count) {
  std::string lines;
  for (int line = 1; line <= count; ++line) lines += std::to_string(line) + "\n";
  return lines;
}
const std::string LINES_1_TO_100 = numbered_lines(100);
std::string crlf_joined(std::string lines) {
  lines.pop_back();
  return to_crlf(lines);
}
// What the editor sees of the terminal's input: what is left of a paste.
const std::string READS_TYPED_AHEAD =
    "stty -icanon min 0 time 5; printf 'Pain%s' \"$(head -c 100)\" >\"$1\"";

INSTANTIATE_TEST_SUITE_P(
    Terminal, Editor,
    testing::Values(
        // Paragraphs, a line past what a terminal keeps, a final line break.
        EditorRun{
            "ParagraphsAndALongLine",
            "printf '\\357\\273\\277Pain\\n\\nBeurre\\r\\n\\n" + LONG_LINE + "\\n\\n' >\"$1\"",
            SAVED, 0, "\r\n\r\nPain\r\n\r\nBeurre\r\n\r\n" + LONG_LINE, "",
            "Écrivez la note dans fake-editor, enregistrez-la, et fermez l'éditeur.\n"},
        // A paste among the typed lines is the note's whole, its empty line included.
        EditorRun{
            "AFailedEditorLeavesTypedLines",
            "exit 3",
            {{"tapez la note ici.", "\x1b[200~Lundi\n\nMardi\x1b[201~\n\n"}, SAVED[0], SAVED[1]},
            0,
            "\r\n\r\nLundi\r\n\r\nMardi",
            "",
            "L'éditeur fake-editor s'est terminé par un échec : tapez la note ici.\n"},
        // Empty: an empty line reads it again, a yes opens the editor again.
        EditorRun{"AnEmptyDraftIsNoNote",
                  "[ -e \"$0.ran\" ] && printf 'Pain' >\"$1\"",
                  {{EMPTY, "\n"}, {EMPTY, "o\n"}, SAVED[0], SAVED[1]},
                  0,
                  "\r\n\r\nPain",
                  "",
                  EMPTY + "\n(o/n) " + EMPTY},
        // Ctrl-C there leaves neither the empty draft nor its lock.
        EditorRun{"AnEmptyDraftAndCtrlC", "true", {{EMPTY, "\x03"}}, -SIGINT, "", "", EMPTY},
        EditorRun{"AnEmptyDraftAndANo",
                  "true",
                  {{EMPTY, "n\n"}},
                  0,
                  "",
                  "",
                  "(o/n) La note n'a pas été enregistrée.\n"},
        // Killed in raw mode: the terminal is put back, so that Enter ends a
        // typed line again; the typed note is what Ctrl-C leaves kept.
        EditorRun{"AnEditorKilledInRawMode",
                  "stty raw -echo; kill -9 $$",
                  {{FAILED, "Pain\r\r"}, {SAVE_QUESTION, "\x03"}},
                  -SIGINT,
                  "",
                  "Pain",
                  TYPED_KEPT},
        // Ctrl-C while the note is typed (once its paste marks are on, so
        // that the interrupt's flush of output cannot take them): put back.
        EditorRun{"CtrlCWhileTheNoteIsTyped",
                  "exit 3",
                  {{"\x1b[?2004h", "Pain\n\x03"}},
                  -SIGINT,
                  "",
                  "",
                  ""},
        // What a failed editor left (vi's :cq) stays, said so; the typed note is saved.
        EditorRun{"TextLeftByAFailedEditorIsKept",
                  "printf 'Brouillon\n' >\"$1\"; exit 1",
                  {{FAILED, "Pain\n\n"}, SAVED[0], SAVED[1]},
                  0,
                  "\r\n\r\nPain",
                  "Brouillon\n",
                  "Ce que vous avez écrit dans l'éditeur est gardé dans "},
        // A line typed past what the terminal keeps is refused, never taken
        // cut; the long note then typed has a summary that leaves the
        // question on a 30-line screen, its blank lines dropped first.
        EditorRun{"ATypedLineAsLongAsTheTerminalKeeps",
                  "exit 3",
                  {{FAILED, LONG_LINE + "\n\n"},
                   {"a pu être coupée", LINES_1_TO_100 + "\n"},
                   SAVED[0],
                   SAVED[1]},
                  0,
                  "\r\n\r\n" + crlf_joined(LINES_1_TO_100),
                  "",
                  "Voulez-vous enregistrer cette note ?\nTitre :\nCourses\nNote :\n" +
                      numbered_lines(23) +
                      "(... et 77 lignes de plus de la note)\n(ou m pour la modifier)\n(o/n) ",
                  {},
                  "",
                  "",
                  30},
        // Nothing pasted ahead reaches the editor as keys.
        EditorRun{"APasteRunningOnNeverReachesTheEditor",
                  READS_TYPED_AHEAD,
                  {{"", ":!touch pirate\n"}, SAVED[0], SAVED[1]},
                  0,
                  "\r\n\r\nPain",
                  "",
                  ""},
        // Signals as the program found them: SIGCHLD ignored is not the
        // editor's failure; SIGINT ignored stays so in the editor.
        EditorRun{"SignalsAsTheProgramFoundThem",
                  "grep SigIgn /proc/$$/status | cut -f2 >\"$1\"",
                  SAVED,
                  0,
                  "\r\n\r\n0000000000000002",
                  "",
                  "",
                  {SIGINT, SIGCHLD}},
        // Past the read bound in empty lines: too long, and edited again, never cut.
        EditorRun{"ADraftPastTheBoundIsTooLong",
                  "if [ -e \"$0.ran\" ]; then printf Pain; else echo a; yes '' | head -n 140000; "
                  "echo b; fi >\"$1\"",
                  SAVED, 0, "\r\n\r\nPain", "", "Cette réponse dépasse 65536 octets"},
        // Neither VISUAL nor EDITOR: the first host editor, named, with its keys.
        EditorRun{"NanoOnThePath",
                  "printf Pain >\"$1\"",
                  SAVED,
                  0,
                  "\r\n\r\nPain",
                  "",
                  "Écrivez la note dans nano, enregistrez-la, et fermez l'éditeur.\n"
                  "(nano : Ctrl-O, Entrée, puis Ctrl-X)\n",
                  {},
                  "",
                  "nano"},
        // A draft a run kept opens again for its title, said so.
        EditorRun{
            "AKeptDraftOpensAgain",
            "printf 'Pain' >>\"$1\"",
            SAVED,
            0,
            "\r\n\r\nBeurre\r\nPain",
            "",
            "(vi : i pour écrire, puis Échap et :wq)\n"
            "Un brouillon de cette note a été gardé : il s'ouvre avec ce que vous avez écrit.\n",
            {},
            "Beurre\n",
            "vi"},
        // After a note saved, another, on the card just used.
        EditorRun{"ASecondNote",
                  "if [ -e \"$0.ran\" ]; then printf Beurre; else printf Pain; fi >\"$1\"",
                  {SAVED[0],
                   SAVED[1],
                   {ANOTHER, "o\n"},
                   {"Titre de la note :", "Courses\nn\n"},
                   SAVED[0],
                   {"appuyez sur Entrée pour l'utiliser)", "\n"},
                   {"La remplacer ?", "o\n"},
                   {ANOTHER, "n\n"}},
                  0,
                  "\r\n\r\nBeurre",
                  "",
                  "Écrire une autre note ?\n(o/n) "},
        // A draft refused and left as it was is asked about, never reopened
        // at once; a no gives the note up.
        EditorRun{"ARefusedDraftLeftAsItWasAsksFirst",
                  "true",
                  {{"Ouvrir l'éditeur à nouveau ?", "n\n"}},
                  0,
                  "",
                  "",
                  "Cette réponse dépasse 65536 octets, la place qu'il y a pour elle.\n"
                  "Ouvrir l'éditeur à nouveau ?\n(o/n) ",
                  {},
                  std::string(70000, 'x')},
        // Typed at a terminal, the note is kept and named on every end, on a
        // line of its own below the hint left waiting.
        EditorRun{"ATypedNoteIsKept",
                  "exit 3",
                  {{"(une ligne vide termine la note)", "Pain\n\n"}, {SAVE_QUESTION, "\x04"}},
                  0,
                  "",
                  "Pain",
                  "(o/n) \n" + TYPED_KEPT,
                  {},
                  "",
                  "",
                  0,
                  {"--no-editor"}},
        // On the card, the note is no draft's: Ctrl-C in the pause after names none.
        EditorRun{"CtrlCOnceSaved",
                  "printf Pain >\"$1\"",
                  {SAVED[0], SAVED[1], {"Note créée !", "\x03"}},
                  -SIGINT,
                  "\r\n\r\nPain",
                  "",
                  "Note créée !"},
        // Another user's lock and kept draft are theirs: the draft is "(3)".
        EditorRun{"AnotherUsersDraftsAreTheirs",
                  "printf Pain >>\"$1\"",
                  SAVED,
                  0,
                  "\r\n\r\nPain",
                  "",
                  "",
                  {},
                  "",
                  "",
                  0,
                  {},
                  true},
        // What was typed ahead of it never answers "another note?".
        EditorRun{"TypedAheadNeverAnswersAnotherNote",
                  "printf Pain >\"$1\"",
                  {SAVED[0], {"lettre de votre PSP ?", "@CARD@\no\n"}, {ANOTHER, "n\n"}},
                  0,
                  "\r\n\r\nPain",
                  "",
                  "Écrire une autre note ?\n(o/n) "},
        // Debian's editor is called by the name of the one it links to.
        EditorRun{"DebiansEditorIsTheOneItNames",
                  "printf Pain >\"$1\"",
                  SAVED,
                  0,
                  "\r\n\r\nPain",
                  "",
                  "Écrivez la note dans nano,",
                  {},
                  "",
                  "editor->nano"},
        // Continued after Ctrl-Z, the question's screen is as it was, with
        // the lines typed since it was asked.
        EditorRun{"CtrlZThenFgShowsWhatWasTyped",
                  "exit 3",
                  {{"(une ligne vide termine la note)", "Pain\n"},
                   {"", "@run sleep 1"},
                   {"", "\x1a"},
                   {FG, "\n"},
                   SAVED[0],
                   SAVED[1]},
                  0,
                  "\r\n\r\nPain",
                  "",
                  FG + RED_ON_BLACK + "\x1b[?2004h" + CLEAR +
                      "Entrez la note :\n(une ligne vide termine la note)\nPain\n",
                  {},
                  "",
                  "",
                  0,
                  {"--no-editor"}},
        // Resized to 10 rows while the question waits, it is drawn again,
        // fitted: the question and its hint in sight.
        EditorRun{"AResizedWindowDrawsTheQuestionAgain",
                  "exit 3",
                  {{"(une ligne vide termine la note)", LINES_1_TO_100 + "\n"},
                   {SAVE_QUESTION, "@rows 10"},
                   {"(... et 97 lignes", "o\n"},
                   SAVED[1]},
                  0,
                  "\r\n\r\n" + crlf_joined(LINES_1_TO_100),
                  "",
                  CLEAR + SAVE_QUESTION +
                      "\nTitre :\nCourses\nNote :\n1\n2\n3\n"
                      "(... et 97 lignes de plus de la note)\n(ou m pour la modifier)\n(o/n) ",
                  {},
                  "",
                  "",
                  30,
                  {"--no-editor"}},
        // A mistyped option's warning stays in sight past the welcome's clear.
        EditorRun{"AMistypedOptionStaysInSight",
                  "printf Pain >\"$1\"",
                  SAVED,
                  0,
                  "\r\n\r\nPain",
                  "",
                  CLEAR + "notecreator_fr: option inconnue --lnies, ignorée (voir --help)\n" +
                      "Titre de la note :\n",
                  {},
                  "",
                  "",
                  0,
                  {"--lnies"}},
        // m at the save question changes the note: in the editor, opened on
        // the note as it is; or the title, the old one shown above the prompt.
        EditorRun{
            "MChangesTheNoteInTheEditor",
            "if [ -e \"$0.ran\" ]; then printf '\\nBeurre' >>\"$1\"; else printf Pain >\"$1\"; fi",
            {{SAVE_QUESTION, "m\n"}, {"(t/c/n) ", "n\n"}, SAVED[0], SAVED[1]},
            0,
            "\r\n\r\nPain\r\nBeurre",
            "",
            "(ou m pour la modifier)\n(o/n) "},
        EditorRun{"MChangesTheTitle",
                  "printf Pain >\"$1\"",
                  {{SAVE_QUESTION, "m\n"},
                   {"(t/c/n) ", "t\n"},
                   {"Titre de la note :", "March\xc3\xa9\n"},
                   SAVED[0],
                   SAVED[1],
                   {ANOTHER, "n\n"}},
                  0,
                  "",
                  "",
                  "Courses\nTitre de la note :\n"},
        // --edit: the card's notes by number; the editor opens on the note's
        // text alone, and it is saved in place, its comment kept, unasked.
        EditorRun{
            "EditChangesANoteOnTheCard",
            "printf '\\nBeurre' >>\"$1\"",
            {{SAVE_QUESTION, "o\n"}},
            0,
            "Pour samedi\r\n\r\nPain\r\nBeurre",
            "",
            "Quelle note voulez-vous modifier ?\n1: Courses\n(tapez son numéro ou son titre)\n",
            {},
            "",
            "",
            0,
            {},
            false,
            "Pour samedi\r\n\r\nPain"},
        EditorRun{"TheDraftStaysWhenTheRunEndsUnsaved",
                  "printf 'Pain\\n' >\"$1\"",
                  {{SAVE_QUESTION, "\x04"}},
                  0,
                  "",
                  "Pain\n",
                  "La note que vous avez écrite est gardée dans "}),
    [](const testing::TestParamInfo<EditorRun>& info) { return std::string(info.param.name); });

// ==== The Windows build at a real console ====
// Under Wine in a pseudo-terminal, as a double-click starts it (alone on its
// console: --lines, and "Press Enter to close."), with Notepad on the virtual
// display of xvfb-run, typed into by xdotool, and the card on drive K:.

struct WindowsSession {
  const char* name;
  std::string environment;     // one more NAME=value; "DISPLAY=" takes the display away
  std::vector<Typing> typing;  // "@notepad ..." runs tests/notepad.sh
  int status;
  std::string title;               // of the note saved ("" for none)
  std::string note;                // its bytes
  std::vector<std::string> shown;  // what the screen shows, in this order
  bool draft_kept = false;
  std::string draft = {};  // the kept draft's bytes, when given
};

void PrintTo(const WindowsSession& session, std::ostream* os) {
  *os << session.name;
}

class WindowsConsole : public testing::TestWithParam<WindowsSession> {};

// Wine's mount manager learns of drive letters when its server starts.
void restart_wine_server() {
  const std::string wine = WINE64, server = wine.substr(0, wine.rfind('/')) + "/wineserver";
  (void)!std::system(("{ '" + server + "' -k; '" + server + "' -p; '" + wine +
                      "' wineboot; } </dev/null >/dev/null 2>&1")
                         .c_str());
}

TEST_P(WindowsConsole, RunsAsAPersonMeetsIt) {
  const WindowsSession& c = GetParam();
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix == nullptr || std::getenv("DISPLAY") == nullptr || access(WINE64, X_OK) != 0)
    GTEST_SKIP() << "run by the windows_console test, with Wine and a display";
  Scratch scratch;
  const auto card = scratch.path / "card", work = scratch.path / "work";
  const auto letter = std::filesystem::path(prefix) / "dosdevices" / "k:";
  lay_out_card(card, "folders");
  // Planted where the program starts, as in a Downloads folder: a second
  // welcome would show, were it run.
  std::filesystem::create_directory(work);
  std::filesystem::copy_file(NOTECREATOR_EXE, work / "notepad.exe");
  std::filesystem::copy_file(NOTECREATOR_EXE, work / "cmd.exe");
  std::filesystem::remove(letter);
  std::filesystem::create_directory_symlink(card, letter);
  restart_wine_server();
  std::vector<Typing> typing = c.typing;
  for (Typing& step : typing)
    if (step.keys.starts_with("@notepad")) step.keys.replace(0, 8, "@run sh " NOTEPAD_SCRIPT);
  Job job;
  job.draws_screen = true;
  job.arguments = {NOTECREATOR_EXE};
  job.environment = {"LANG=C.UTF-8", "LC_ALL=C.UTF-8"};
  if (!c.environment.empty()) job.environment.push_back(c.environment);
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(work);
  const PtyRun run = run_on_terminal(WINE64, typing, job);
  std::filesystem::current_path(here);
  std::filesystem::remove(letter);
  restart_wine_server();

  EXPECT_TRUE(exited_with(run.wait_status, c.status)) << "wait status " << run.wait_status;
  std::size_t at = 0;
  for (const std::string& text : c.shown) {
    at = run.output.find(text, at);
    ASSERT_NE(at, std::string::npos) << "not shown: " << text << "\n" << run.output;
  }
  EXPECT_EQ(run.output.find("Welcome"), run.output.rfind("Welcome")) << "the planted one ran";
  EXPECT_NE(run.raw.find("\x1b[91m"), std::string::npos) << "not light red";
  EXPECT_FALSE(std::filesystem::remove(std::filesystem::path(prefix) / "draft at the prompt"));
  if (c.title.empty())
    EXPECT_TRUE(std::filesystem::is_empty(card / notes_below_root));
  else
    EXPECT_EQ(read_file(card / notes_below_root / (c.title + ".txt")), c.note);
  // Gone once the note is saved or given up, before anything else is asked.
  bool kept = false;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(std::filesystem::path(prefix) / "drive_c"))
    if (entry.path().parent_path().filename() == "drafts" && entry.path().extension() == ".txt") {
      EXPECT_EQ(c.draft.empty() ? c.draft : read_file(entry.path()), c.draft);
      kept = std::filesystem::remove(entry.path());
    }
  EXPECT_EQ(kept, c.draft_kept);
}

const std::string TITLE = "Title of the note:", YES_NO = "(y/n) ", SAVE = "Would you like to save";
const std::string IN_NOTEPAD = "Write the note in Notepad", TAKE_CARD = "press Enter to use it";
const std::string ANOTHER_NOTE = "Write another note?";
// The draft is gone before another note is asked for, or the window closed
// with its X.
const std::vector<Typing> SAVED_ON_K = {
    {SAVE, ""},
    {YES_NO, "y\r"},
    {TAKE_CARD, "\r"},
    {ANOTHER_NOTE,
     "@run ls \"$WINEPREFIX\"/drive_c/users/*/AppData/Local/notecreator/drafts/*.txt >/dev/null "
     "2>&1 && touch \"$WINEPREFIX/draft at the prompt\""},
    {"", "n\r"}};
// Ctrl-C at the summary: the note is kept, and said so.
const std::vector<Typing> CTRL_C_AT_SUMMARY = {{SAVE, ""}, {YES_NO, "\x03"}};
const std::string KEPT_IN = "The note you wrote is kept in C:\\users\\";
std::vector<Typing> steps(std::vector<Typing> first, const std::vector<Typing>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, WindowsConsole,
    testing::Values(
        WindowsSession{"WholeSessionThroughNotepad",
                       "",
                       steps({{TITLE, "visit\r"},
                              {YES_NO, "n\r"},
                              {IN_NOTEPAD, "@notepad type 'first paragraph\n\nsecond'"}},
                             SAVED_ON_K),
                       0,
                       "visit",
                       "\r\n\r\nfirst paragraph\r\n\r\nsecond",
                       {IN_NOTEPAD, "second", "(found: K: - press Enter to use it)",
                        "Saved as K:\\PSP\\GAME\\Velloran\\notes\\visit.txt", ANOTHER_NOTE}},
        // A title with a character the console's code page lacks is refused
        // by its name; Notepad closed untouched asks, and a no gives up.
        WindowsSession{"NotepadClosedWithoutSaving",
                       "",
                       {{TITLE,
                         "\xe2\x82\xac"
                         "5\r"},
                        {"U+20AC", "visit\r"},
                        {YES_NO, "n\r"},
                        {IN_NOTEPAD, "@notepad close"},
                        {"Open the editor again?", "n\r"}},
                       0,
                       "",
                       "",
                       {"cannot hold the character U+20AC", "The note was not saved."}},
        // Each typed line is held to the console's code page, the first as the others.
        WindowsSession{"NoDisplayTypedLines",
                       "DISPLAY=",
                       steps({{TITLE, "visit\r"},
                              {YES_NO, "n\r"},
                              {"type the note here", "bread\rprix 5\xe2\x82\xac ok\r\r"},
                              {"U+20AC", "bread\r\r"}},
                             SAVED_ON_K),
                       0,
                       "visit",
                       "\r\n\r\nbread",
                       {"type the note here instead.", "U+20AC", "Done!"}},
        // A typed note is kept on Ctrl-C, in UTF-8.
        WindowsSession{
            "TypedNoteKeptInUtf8",
            "DISPLAY=",
            steps({{TITLE, "visit\r"}, {YES_NO, "n\r"}, {"type the note here", "caf\xc3\xa9\r\r"}},
                  CTRL_C_AT_SUMMARY),
            0x3a,
            "",
            "",
            {KEPT_IN},
            true,
            "caf\xc3\xa9"},
        // STATUS_CONTROL_C_EXIT, whose low byte a Unix parent sees.
        WindowsSession{
            "CtrlCAtTheSummary",
            "",
            steps({{TITLE, "visit\r"}, {YES_NO, "n\r"}, {IN_NOTEPAD, "@notepad type bread"}},
                  CTRL_C_AT_SUMMARY),
            0x3a,
            "",
            "",
            {KEPT_IN},
            true},
        WindowsSession{
            "AKeptDraftOpensAgain",
            "",
            steps({{TITLE,
                    "@run d=\"$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/notecreator/"
                    "drafts\"; mkdir -p \"$d\" && printf 'bread\\r\\n' >\"$d/visit.txt\""},
                   {"", "visit\r"},
                   {YES_NO, "n\r"},
                   {"A draft of this note was kept", "@notepad close"}},
                  SAVED_ON_K),
            0,
            "visit",
            "\r\n\r\nbread",
            {"A draft of this note was kept", "Done!"}},
        // Nothing in the title reaches the editor expanded, and a long one fits.
        WindowsSession{"TheUsersEditorGetsTheDraftsOwnPath",
                       "EDITOR=notepad",
                       steps({{TITLE, "plan %os% week " + std::string(225, 'x') + "\r"},
                              {YES_NO, "n\r"},
                              {"Write the note in notepad", "@notepad type bread"}},
                             SAVED_ON_K),
                       0,
                       "plan %os% week " + std::string(225, 'x'),
                       "\r\n\r\nbread",
                       {"Done!"}}),
    [](const testing::TestParamInfo<WindowsSession>& info) {
      return std::string(info.param.name);
    });

}  // namespace
