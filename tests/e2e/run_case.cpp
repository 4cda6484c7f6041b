// Runs one end-to-end case against a real executable: feeds the typed bytes,
// then compares stdout, stderr, the exit status and the whole card tree byte
// for byte. Exit 0 passed, 1 failed, 77 skipped (the case is for another host).
//
//   run_case --bin DIR [--wine WINE | --emulator PROGRAM] CASE
//
// With --wine the Windows .exe in DIR runs under Wine (WINEPREFIX from the
// environment) and the card is reached through a drive letter of its own.
// With --emulator the executables in DIR run under it (qemu-aarch64-static).
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "card.h"
#include "case_file.h"
#include "process.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

constexpr int exit_passed = 0;
constexpr int exit_failed = 1;
constexpr int exit_skipped = 77;
constexpr int wine_start_retries = 2;
constexpr auto wine_gave_up_within = std::chrono::milliseconds(1000);

struct Options {
  std::string bin_dir;
  std::string wine;      // set: the Windows build, run under Wine
  std::string emulator;  // set: another architecture's build, run under this
  std::string case_path;
};

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// ==== The card ====

// Lays the card out with the notes it holds before the run.
bool set_up_card(const fs::path& card, const Case& c) {
  if (!lay_out_card(card, c.card)) return false;
  for (const auto& note : c.before) write_file(card / notes_below_root / note.name, note.bytes);
  return true;
}

// The tree the case expects: as it was, with the notes folder's files
// replaced by the case's "after" notes when it names them.
Tree expected_tree(const Tree& tree, const Case& c) {
  if (!c.after) return tree;
  std::map<std::string, std::string> notes;
  for (const auto& note : *c.after) notes[note.name] = note.bytes;
  return with_notes(tree, notes);
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

// Wine's mount manager learns of drive letters when its server starts, so
// that cases running side by side never see each other's cards. A case that
// must find its own (and runs alone) restarts it, as the prefix's setup
// starts it, away from the case's pipes.
void restart_wine_server(const std::string& wine) {
  const std::string server = (fs::path(wine).parent_path() / "wineserver").string();
  const std::string quiet = " </dev/null >/dev/null 2>&1";
  (void)!std::system(("'" + server + "' -k" + quiet + "; '" + server + "' -p" + quiet + "; '" +
                      wine + "' wineboot" + quiet)
                         .c_str());
}

void release_drive_letter(char letter) {
  const fs::path devices = fs::path(std::getenv("WINEPREFIX")) / "dosdevices";
  std::error_code ignored;
  fs::remove(devices / (std::string(1, letter) + ":"), ignored);
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
    } else if (arg == "--emulator" && i + 1 < argc) {
      options.emulator = argv[++i];
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
  const std::string launcher = windows ? options.wine : options.emulator;
  const std::string exe =
      (fs::path(options.bin_dir) / ("notecreator_" + c.program + (windows ? ".exe" : ""))).string();
  std::string missing;
  if (!launcher.empty() && access(launcher.c_str(), X_OK) != 0) missing = launcher;
  if (access(exe.c_str(), R_OK) != 0) missing = exe;
  if (windows && !std::getenv("WINEPREFIX")) missing = "WINEPREFIX";
  if (!missing.empty() && std::getenv("CI")) {
    std::cout << "in CI every case must run, and " << missing << " is missing\n";
    return exit_failed;
  }
  if (!missing.empty()) {
    std::cout << "skipped: " << missing << " is missing (tools/dev test brings it)\n";
    return exit_skipped;
  }

  Scratch scratch;
  if (scratch.path.empty()) {
    std::cout << "cannot make a scratch folder\n";
    return exit_failed;
  }
  const fs::path card = scratch.path / "card";
  const fs::path work_dir = scratch.path / "work";
  fs::create_directories(work_dir);
  for (const NoteFile& file : c.files) write_file(work_dir / file.name, file.bytes);
  if (!set_up_card(card, c)) {
    std::cout << "unknown card layout " << c.card << "\n";
    return exit_failed;
  }

  std::string input = c.input;
  std::string expected_out = c.expected_stdout;
  replace_all(expected_out, "@VERSION@", NOTECREATOR_VERSION);
  std::string expected_err = c.expected_stderr;
  std::vector<std::string> argv;
  char letter = 0;
  if (windows) {
    letter = claim_drive_letter(card);
    if (!letter) {
      std::cout << "no free drive letter\n";
      return exit_failed;
    }
    if (c.serial) restart_wine_server(options.wine);
    const char upper = static_cast<char>(letter - 'a' + 'A');
    replace_all(input, "@CARD@", std::string(1, upper));
    replace_all(input, "@card@", std::string(1, letter));
    for (std::string* expected : {&expected_out, &expected_err})
      replace_all(*expected, "@NOTES@", std::string(1, upper) + ":\\PSP\\GAME\\Velloran\\notes\\");
    replace_all(expected_err, "@CARD@", std::string(1, upper));
    replace_all(expected_out, "@CARD@", std::string(1, upper));
    replace_all(expected_out, "@EXAMPLE@", "E");
    // Windows text mode writes each line feed as CR LF.
    expected_out = to_crlf(expected_out);
    expected_err = to_crlf(expected_err);
    argv = {launcher, exe};
  } else {
    replace_all(input, "@CARD@", card.string());
    for (std::string* expected : {&expected_out, &expected_err})
      replace_all(*expected, "@NOTES@", (card / notes_below_root).string() + "/");
    replace_all(expected_err, "@CARD@", card.string());
    replace_all(expected_out, "@CARD@", card.string());
    const char* user = std::getenv("USER");
    if (user == nullptr || *user == '\0') user = std::getenv("LOGNAME");
    if (user == nullptr || *user == '\0') user = c.program == "fr" ? "vous" : "you";
    replace_all(expected_out, "@EXAMPLE@",
                (fs::is_directory("/run/media") ? "/run/media/" : "/media/") + std::string(user) +
                    "/NO NAME");
    replace_all(expected_out, "@WORK@", work_dir.string());
    argv =
        launcher.empty() ? std::vector<std::string>{exe} : std::vector<std::string>{launcher, exe};
  }

  argv.insert(argv.end(), c.args.begin(), c.args.end());
  if (!c.mounted.empty() && !windows) {
    // Mounts of its own, seen only by this run: the cards in reach to be found.
    const std::string other = (scratch.path / "another card").string();
    std::string script = "mount --bind \"$1\" \"$1\"";
    if (c.mounted == "crowded") {
      if (access("/dev/fuse", R_OK | W_OK) != 0) {
        std::cout << "skipped: no /dev/fuse here\n";
        return exit_skipped;
      }
      lay_out_card(other, "folders");
      for (const char* point : {"card again", "stuck", "stuck fat"})
        fs::create_directory(scratch.path / point);
      // Never read: each look below them waits until the program ends.
      const std::string stuck = ",rootmode=40000,user_id=0,group_id=0 stuck \"$2/stuck";
      script = "mount --bind \"$2/another card\" \"$2/another card\" && " + script +
               " && mount --bind \"$1\" \"$2/card again\" && exec 3<>/dev/fuse 4<>/dev/fuse" +
               " && mount -i -t fuse -o fd=3" + stuck + "\" && mount -i -t fuse.fusefat -o fd=4" +
               stuck + " fat\"";
      replace_all(expected_out, "@OTHER@", other);
    } else if (c.mounted == "beside-read-only") {
      lay_out_card(other, "folders");
      for (const NoteFile& note : c.before)
        write_file(fs::path(other) / notes_below_root / note.name, "another " + note.bytes);
      script = "mount --bind \"$2/another card\" \"$2/another card\" && mount -o remount,bind,ro " +
               std::string("\"$2/another card\" && ") + script;
      replace_all(expected_out, "@OTHER@", other);
      replace_all(expected_err, "@OTHER@", other);
    }
    const std::vector<std::string> mount_card = {"/usr/bin/unshare",
                                                 "-m",
                                                 "sh",
                                                 "-c",
                                                 script + " && shift 2 && exec \"$@\"",
                                                 "sh",
                                                 card.string(),
                                                 scratch.path.string()};
    argv.insert(argv.begin(), mount_card.begin(), mount_card.end());
  }
  const auto before = snapshot(scratch.path);
  RunOptions run;
  run.argv = argv;
  run.work_dir = work_dir;
  run.input = input;
  run.full_card = c.full_card;
  run.output_closed = c.output_closed;
  run.output_full = c.output_full;
  run.input_file = c.input_file;
  if (!windows) run.environment = {"LC_ALL=" + c.locale};
  if (!c.refused_name.empty())
    run.environment.push_back("NOTECREATOR_TEST_REFUSED_NAME=" + c.refused_name);
  Outcome outcome = run_program(run);
  // Now and then, with many cases starting side by side, Wine gives up
  // before the program runs: it exits at once with nothing written. The
  // program itself always prints its welcome first, so this is never its
  // own doing; start it again, and say so.
  for (int retry = 0; windows && retry < wine_start_retries && outcome.out.empty() &&
                      outcome.err.empty() && outcome.elapsed < wine_gave_up_within;
       ++retry) {
    std::cout << "Wine did not start the program (" << outcome.how_it_ended << " after "
              << outcome.elapsed.count() << " ms); starting it again\n";
    outcome = run_program(run);
  }
  if (letter) release_drive_letter(letter);
  // And forgets it again, so that no later case finds its card there.
  if (letter && c.serial) restart_wine_server(options.wine);
  const auto after = snapshot(scratch.path);

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
  if (c.max_ms > 0 && outcome.elapsed.count() > c.max_ms) {
    std::cout << "--- ended later than its pauses and a margin allow: " << c.max_ms << " ms\n";
    passed = false;
  }
  passed = same("stdout", expected_out, outcome.out) && passed;
  passed = same("stderr", expected_err, outcome.err) && passed;
  passed = same_tree(expected_tree(before, c), after) && passed;
  if (!passed) {
    scratch.keep = true;
    std::cout << "--- scratch folder kept: " << scratch.path.string() << "\n";
  }
  return passed ? exit_passed : exit_failed;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  Options options;
  if (!parse_options(argc, argv, options)) {
    std::cerr << "usage: run_case --bin DIR [--wine WINE | --emulator PROGRAM] CASE\n";
    return exit_failed;
  }
  const Case c = read_case(options.case_path);
  if (!c.error.empty()) {
    std::cout << options.case_path << ": " << c.error << "\n";
    return exit_failed;
  }
  return run_case(options, c);
}
