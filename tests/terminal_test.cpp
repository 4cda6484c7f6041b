// The program on a real pseudo-terminal: where it colours, clears and puts
// the terminal back.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "card.h"
#include "text.h"

namespace {

const std::string RED_ON_BLACK = "\x1b[91;40m";
const std::string CLEAR = "\x1b[H\x1b[2J";
const std::string RESET = "\x1b[0m";

struct PtyRun {
  bool started = false;
  std::string output;
  int wait_status = 0;
};

// Runs program on a new pseudo-terminal, with echo off so that only the
// program's own output comes back. Writes input at once; if interrupt_after
// is given, types Ctrl-C once that text has appeared.
PtyRun run_on_terminal(const char* program, const std::string& input,
                       const std::string& interrupt_after = "") {
  PtyRun run;
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child < 0) return run;
  if (child == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  run.started = true;
  termios settings{};
  tcgetattr(master, &settings);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(master, TCSANOW, &settings);
  (void)!write(master, input.data(), input.size());

  bool interrupted = interrupt_after.empty();
  while (true) {
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 30000) <= 0) break;  // a program that hangs fails below
    char buffer[4096];
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) break;  // EIO once the program has closed the terminal
    run.output.append(buffer, static_cast<std::size_t>(got));
    if (!interrupted && run.output.find(interrupt_after) != std::string::npos) {
      (void)!write(master, "\x03", 1);
      interrupted = true;
    }
  }
  kill(child, SIGKILL);  // no effect on a program that has ended
  waitpid(child, &run.wait_status, 0);
  close(master);
  return run;
}

PtyRun run_french(const std::string& input, const std::string& interrupt_after = "") {
  return run_on_terminal(NOTECREATOR_FR, input, interrupt_after);
}

TEST(Terminal, ColoursFirstClearsBetweenScreensAndResetsAtTheEnd) {
  Scratch card;
  lay_out_card(card.path, "folders");
  const PtyRun run = run_french("Courses\no\nAcheter\nPain\no\n" + card.path.string() + "\n");
  if (!run.started) GTEST_SKIP() << "no pseudo-terminal on this host";
  EXPECT_TRUE(WIFEXITED(run.wait_status) && WEXITSTATUS(run.wait_status) == 0);
  EXPECT_EQ(read_file(card.path / notes_below_root / "Courses.txt"), "Acheter\r\n\r\nPain");
  // One screen a line, each after the clear that starts it. A terminal turns
  // each line feed into CR LF on its way out.
  // clang-format off
  const std::string expected =
      RED_ON_BLACK + "\t                           Bienvenue\n\n"
                     "\t***->->Createur de notes pour Velloran par Dorvik [FR]<-<-***\n\n" +
      CLEAR + "Titre de la note:\n" +
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

}  // namespace
