// Runs one end-to-end case against a real executable: feeds the typed bytes,
// then compares stdout, stderr, the exit status and the whole card tree byte
// for byte. Exit 0 passed, 1 failed, 77 skipped (the case is for another host).
//
//   run_case --bin DIR [--wine WINE] CASE
//
// With --wine the Windows .exe in DIR runs under Wine (WINEPREFIX from the
// environment) and the card is reached through a drive letter of its own.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "case_file.h"

namespace fs = std::filesystem;

namespace {

constexpr int exit_passed = 0;
constexpr int exit_failed = 1;
constexpr int exit_skipped = 77;
constexpr int exit_not_started = 127;
constexpr auto run_deadline = std::chrono::seconds(60);

struct Options {
  std::string bin_dir;
  std::string wine;  // empty: run natively
  std::string case_path;
};

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string how_it_ended;
  std::chrono::milliseconds elapsed{};
};

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::string to_crlf(const std::string& text) {
  std::string converted;
  for (const char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// ==== The card ====

const fs::path notes_below_root = fs::path("PSP") / "GAME" / "Velloran" / "notes";

// Lays the card out; false for an unknown layout.
bool lay_out_card(const fs::path& card, const Case& c) {
  const fs::path notes = card / notes_below_root;
  if (c.card == "folders") {
    fs::create_directories(notes);
    for (const auto& note : c.before) write_file(notes / note.name, note.bytes);
  } else if (c.card == "empty") {
    fs::create_directories(card);
  } else if (c.card == "absent") {
  } else if (c.card == "notes-is-file") {
    fs::create_directories(notes.parent_path());
    write_file(notes, "");
  } else if (c.card == "root-is-file") {
    write_file(card, "");
  } else {
    return false;
  }
  return true;
}

// Every directory, file and link below root, with file contents.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = fs::relative(it->path(), root).string();
    if (it->is_symlink())
      tree[name] = "link to " + fs::read_symlink(it->path()).string();
    else if (it->is_directory())
      tree[name + "/"] = "";
    else
      tree[name] = read_file(it->path());
  }
  return tree;
}

// The tree the case expects: as it was, with the notes folder's files
// replaced by the case's "after" notes when it names them.
std::map<std::string, std::string> expected_tree(std::map<std::string, std::string> tree,
                                                 const Case& c) {
  if (!c.after) return tree;
  const std::string notes = (fs::path("card") / notes_below_root).string() + "/";
  std::erase_if(tree, [&](const auto& entry) {
    return entry.first.starts_with(notes) && entry.first != notes;
  });
  for (const auto& note : *c.after) tree[notes + note.name] = note.bytes;
  return tree;
}

// ==== Wine drive letters ====

// Claims a free drive letter for the card, so that cases can run side by side.
char claim_drive_letter(const fs::path& card) {
  const fs::path devices = fs::path(std::getenv("WINEPREFIX")) / "dosdevices";
  for (int attempt = 0; attempt < 600; ++attempt) {
    for (char letter = 'd'; letter <= 'y'; ++letter) {
      const fs::path link = devices / (std::string(1, letter) + ":");
      if (symlink(card.c_str(), link.c_str()) == 0) return letter;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

void release_drive_letter(char letter) {
  const fs::path devices = fs::path(std::getenv("WINEPREFIX")) / "dosdevices";
  std::error_code ignored;
  fs::remove(devices / (std::string(1, letter) + ":"), ignored);
}

// ==== Running the program ====

Outcome run(const std::vector<std::string>& argv, const fs::path& work_dir,
            const std::string& input, bool full_card) {
  Outcome outcome;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    outcome.how_it_ended = "could not make pipes";
    return outcome;
  }
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
      close(fd);
    if (chdir(work_dir.c_str()) != 0) _exit(126);
    if (full_card) {
      // Every write past byte 0 fails with EFBIG, as on a card with no room.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit none = {0, 0};
      setrlimit(RLIMIT_FSIZE, &none);
    }
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(exit_not_started);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);

  std::size_t written = 0;
  int in_fd = in_pipe[1];
  if (input.empty()) close(in_fd), in_fd = -1;
  int out_fd = out_pipe[0], err_fd = err_pipe[0];
  const auto deadline = started + run_deadline;
  bool timed_out = false;
  while (out_fd >= 0 || err_fd >= 0) {
    pollfd fds[3] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}, {in_fd, POLLOUT, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      kill(child, SIGKILL);
      break;
    }
    if (poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        (i == 0 ? out_fd : err_fd) = -1;
      } else {
        (i == 0 ? outcome.out : outcome.err).append(buffer, static_cast<std::size_t>(got));
      }
    }
    if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t put = write(in_fd, input.data() + written, input.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      // A program that ended before reading it all closes the pipe: fine.
      if ((put < 0 && errno != EAGAIN) || written == input.size()) close(in_fd), in_fd = -1;
    }
  }
  if (in_fd >= 0) close(in_fd);
  for (int fd : {out_fd, err_fd})
    if (fd >= 0) close(fd);

  int wait_status = 0;
  while (waitpid(child, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      timed_out = true;
      kill(child, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  outcome.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  if (timed_out) {
    outcome.how_it_ended = "did not end within " + std::to_string(run_deadline.count()) + " s";
  } else if (WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == exit_not_started) {
    outcome.how_it_ended = "could not start " + argv[0];
  } else if (WIFEXITED(wait_status)) {
    outcome.status = WEXITSTATUS(wait_status);
    outcome.how_it_ended = "exit status " + std::to_string(outcome.status);
  } else if (WIFSIGNALED(wait_status)) {
    outcome.how_it_ended = std::string("killed by signal ") + strsignal(WTERMSIG(wait_status));
  }
  return outcome;
}

// ==== Reporting ====

bool same(const std::string& what, const std::string& expected, const std::string& actual) {
  if (expected == actual) return true;
  const auto at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  const auto offset = at.first - expected.begin();
  std::cout << "--- " << what << " differs at byte " << offset << "\n";
  std::cout << "--- expected (" << expected.size() << " bytes):\n" << show_bytes(expected) << "\n";
  std::cout << "--- actual (" << actual.size() << " bytes):\n" << show_bytes(actual) << "\n";
  const auto from = std::max<std::ptrdiff_t>(0, offset - 20);
  std::cout << "--- around it, expected: " << show_bytes(expected.substr(from, 40), false)
            << "\n--- around it, actual:   " << show_bytes(actual.substr(from, 40), false) << "\n";
  return false;
}

bool same_tree(const std::map<std::string, std::string>& expected,
               const std::map<std::string, std::string>& actual) {
  if (expected == actual) return true;
  std::cout << "--- the card's files differ\n";
  for (const auto& [name, bytes] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end())
      std::cout << "missing: " << name << "\n";
    else if (found->second != bytes)
      same("file " + name, bytes, found->second);
  }
  for (const auto& [name, bytes] : actual)
    if (!expected.contains(name))
      std::cout << "unexpected: " << name << " = " << show_bytes(bytes) << "\n";
  return false;
}

bool parse_options(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bin" && i + 1 < argc) {
      options.bin_dir = std::filesystem::absolute(argv[++i]).string();
    } else if (arg == "--wine" && i + 1 < argc) {
      options.wine = argv[++i];
    } else if (options.case_path.empty() && !arg.starts_with("--")) {
      options.case_path = arg;
    } else {
      return false;
    }
  }
  return !options.bin_dir.empty() && !options.case_path.empty();
}

int run_case(const Options& options, const Case& c) {
  const bool windows = !options.wine.empty();
  if ((c.host == "native" && windows) || (c.host == "windows" && !windows)) {
    std::cout << "skipped: this case is for the " << c.host << " build only\n";
    return exit_skipped;
  }
  if (windows) {
    const std::string exe =
        (fs::path(options.bin_dir) / ("notecreator_" + c.program + ".exe")).string();
    const char* missing = access(options.wine.c_str(), X_OK) != 0 ? "Wine"
                          : access(exe.c_str(), R_OK) != 0        ? "the Windows build"
                          : !std::getenv("WINEPREFIX")            ? "WINEPREFIX"
                                                                  : nullptr;
    if (missing && std::getenv("CI")) {
      std::cout << "in CI the Windows cases must run, and " << missing << " is missing\n";
      return exit_failed;
    }
    if (missing) {
      std::cout << "skipped: " << missing << " is missing (tools/dev test brings both)\n";
      return exit_skipped;
    }
  }

  std::string scratch_template = (fs::temp_directory_path() / "notecreator-case-XXXXXX").string();
  if (!mkdtemp(scratch_template.data())) {
    std::cout << "cannot make a scratch folder\n";
    return exit_failed;
  }
  const fs::path scratch = scratch_template;
  const fs::path card = scratch / "card";
  const fs::path work_dir = scratch / "work";
  fs::create_directories(work_dir);
  if (!lay_out_card(card, c)) {
    std::cout << "unknown card layout " << c.card << "\n";
    return exit_failed;
  }

  std::string input = c.input;
  std::string expected_out = c.expected_stdout;
  std::string expected_err = c.expected_stderr;
  std::vector<std::string> argv;
  char letter = 0;
  const std::string program = "notecreator_" + c.program;
  if (windows) {
    letter = claim_drive_letter(card);
    if (!letter) {
      std::cout << "no free drive letter\n";
      return exit_failed;
    }
    const char upper = static_cast<char>(letter - 'a' + 'A');
    replace_all(input, "@CARD@", std::string(1, upper));
    replace_all(input, "@card@", std::string(1, letter));
    replace_all(expected_err, "@NOTES@", std::string(1, upper) + ":\\PSP\\GAME\\Velloran\\notes\\");
    replace_all(expected_err, "@CARD@", std::string(1, upper));
    // Windows text mode writes each line feed as CR LF.
    expected_out = to_crlf(expected_out);
    expected_err = to_crlf(expected_err);
    argv = {options.wine, (fs::path(options.bin_dir) / (program + ".exe")).string()};
  } else {
    replace_all(input, "@CARD@", card.string());
    replace_all(expected_err, "@NOTES@", (card / notes_below_root).string() + "/");
    argv = {(fs::path(options.bin_dir) / program).string()};
  }

  const auto before = snapshot(scratch);
  const Outcome outcome = run(argv, work_dir, input, c.full_card);
  if (letter) release_drive_letter(letter);
  const auto after = snapshot(scratch);

  std::cout << options.case_path << ": " << outcome.how_it_ended << " after "
            << outcome.elapsed.count() << " ms\n";
  bool passed = true;
  if (outcome.status != c.expected_status) {
    std::cout << "--- expected exit status " << c.expected_status << "\n";
    passed = false;
  }
  if (outcome.elapsed.count() < c.min_ms) {
    std::cout << "--- ended sooner than its pauses allow: " << c.min_ms << " ms\n";
    passed = false;
  }
  passed = same("stdout", expected_out, outcome.out) && passed;
  passed = same("stderr", expected_err, outcome.err) && passed;
  passed = same_tree(expected_tree(before, c), after) && passed;
  if (passed)
    fs::remove_all(scratch);
  else
    std::cout << "--- scratch folder kept: " << scratch.string() << "\n";
  return passed ? exit_passed : exit_failed;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  Options options;
  if (!parse_options(argc, argv, options)) {
    std::cerr << "usage: run_case --bin DIR [--wine WINE] CASE\n";
    return exit_failed;
  }
  const Case c = read_case(options.case_path);
  if (!c.error.empty()) {
    std::cout << options.case_path << ": " << c.error << "\n";
    return exit_failed;
  }
  return run_case(options, c);
}
