// The program on a real pseudo-terminal: where it colours, clears and puts
// the terminal back.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#if __has_include(<pty.h>)
#include <pty.h>
#else
#include <util.h>  // forkpty on macOS and the BSDs
#endif

#include <cerrno>
#include <string>
#include <vector>

#include "card.h"
#include "text.h"

namespace {

const std::string RED_ON_BLACK = "\x1b[91;40m";
const std::string CLEAR = "\x1b[H\x1b[2J";
const std::string RESET = "\x1b[0m";
// What the shell of run_on_terminal shows when the program stops, before it
// continues it as fg would.
const std::string STOPPED = "<stopped>";

// The French welcome screen, and the rest of a run that types
// "Courses\nn\nPain\nn\n" at the title prompt.
const std::string WELCOME =
    "\t                           Bienvenue\n\n"
    "\t***->->Createur de notes pour Velloran par Dorvik [FR]<-<-***\n\n";
const std::string TITLE_SCREEN = CLEAR + "Titre de la note:\n";
const std::string DECLINED_NOTE = "Courses\nn\nPain\nn\n";
const std::string AFTER_DECLINED_NOTE =
    CLEAR + "Voulez-vous inserer un commentaire?\n(o/n) " + CLEAR + "Entrez la note:\n" + CLEAR +
    "Voulez-vous sauver cette "
    "note?\n\n\n\nTitre:\nCourses\n\nCommentaire:\n\n\nNote:\nPain\n\n(o/n) ";

// Keys typed once some text has appeared ("" for at once).
struct Typing {
  std::string after;
  std::string keys;
};

struct PtyRun {
  bool started = false;
  std::string output;
  int wait_status = 0;
};

// In the child that owns the new terminal: runs the program as a shell runs
// a job, in a process group of its own in the terminal's foreground, so that
// Ctrl-Z stops it (the stop is discarded in an orphaned group). Continues it
// when it stops, as fg would, and ends as the program did.
[[noreturn]] void run_as_job(const char* program, bool interrupt_ignored) {
  const pid_t job = fork();
  if (job == 0) {
    setpgid(0, 0);
    signal(SIGTTOU, SIG_IGN);  // tcsetpgrp from a background group
    tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
    if (interrupt_ignored) signal(SIGINT, SIG_IGN);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status)) {
    (void)!write(STDOUT_FILENO, STOPPED.data(), STOPPED.size());
    kill(-job, SIGCONT);
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 126);
}

// Runs program on a new pseudo-terminal, with echo off so that only the
// program's own output comes back, typing each step's keys once its text
// has appeared.
PtyRun run_on_terminal(const char* program, std::vector<Typing> typing,
                       bool interrupt_ignored = false) {
  PtyRun run;
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child < 0) return run;
  if (child == 0) run_as_job(program, interrupt_ignored);
  run.started = true;
  termios settings{};
  tcgetattr(master, &settings);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(master, TCSANOW, &settings);

  std::size_t typed = 0, seen = 0;
  while (true) {
    while (typed < typing.size()) {
      const auto at = run.output.find(typing[typed].after, seen);
      if (at == std::string::npos) break;
      seen = at + typing[typed].after.size();
      (void)!write(master, typing[typed].keys.data(), typing[typed].keys.size());
      ++typed;
    }
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 30000) <= 0) break;  // a program that hangs fails below
    char buffer[4096];
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) break;  // EIO once the program has closed the terminal
    run.output.append(buffer, static_cast<std::size_t>(got));
  }
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

bool exited_with(int wait_status, int status) {
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

TEST(Terminal, CtrlZPutsTheShellsColoursBackAndFgTakesTheProgramsAgain) {
  const PtyRun run = run_on_terminal(
      NOTECREATOR_FR, {{"Titre de la note:", "\x1a"}, {STOPPED + RED_ON_BLACK, DECLINED_NOTE}});
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 0)) << "wait status " << run.wait_status;
  EXPECT_EQ(run.output, to_crlf(RED_ON_BLACK + WELCOME + TITLE_SCREEN + RESET + STOPPED +
                                RED_ON_BLACK + AFTER_DECLINED_NOTE + RESET));
}

TEST(Terminal, CtrlCIgnoredByWhoeverStartedTheProgramStaysIgnored) {
  const PtyRun run =
      run_on_terminal(NOTECREATOR_FR, {{"Titre de la note:", "\x03" + DECLINED_NOTE}}, true);
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(exited_with(run.wait_status, 0)) << "wait status " << run.wait_status;
  EXPECT_EQ(run.output,
            to_crlf(RED_ON_BLACK + WELCOME + TITLE_SCREEN + AFTER_DECLINED_NOTE + RESET));
}

}  // namespace
