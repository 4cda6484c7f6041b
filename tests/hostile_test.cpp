// Hostile input and card faults, run against the real executables. Every run
// must end by itself, exit with the status promised, leave the card holding
// exactly what it should (the new note, the old note, or nothing), leave no
// temporary file and stay under a memory bound.
//
// Each test prints a "robustness |" line with its figures; tools/dev report
// gathers them into docs/robustness.md.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "card.h"
#include "process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

// The pauses of a save run (2000 + 500 + 1500 ms) and a generous margin: a
// run that has not ended by then has hung.
constexpr auto longest_run = 4000ms + 10000ms;
// Peak resident memory of one run, whatever it is fed. Sanitizers add their
// own shadow memory, so the bound holds for plain builds only.
constexpr long max_rss_kib = 8 * 1024;
constexpr bool measure_memory = NOTECREATOR_SANITIZED == 0;

const std::string notes_folder = (fs::path("card") / notes_below_root).string() + "/";

// One card in a scratch folder, with a working folder beside it; a run may
// change nothing outside the card's notes folder.
struct Card {
  Scratch scratch;
  fs::path root = scratch.path / "card";
  fs::path work = scratch.path / "work";

  explicit Card(const std::string& layout = "folders") {
    fs::create_directories(work);
    lay_out_card(root, layout);
  }
  void put_note(const std::string& name, const std::string& bytes) const {
    write_file(root / notes_below_root / name, bytes);
  }
  Tree tree() const { return snapshot(scratch.path); }
  // The tree as it is now, with the notes folder holding exactly these notes.
  Tree with_notes(const std::map<std::string, std::string>& notes) const {
    return ::with_notes(tree(), notes);
  }
};

RunOptions run_in(const Card& card, const std::string& program, std::string input) {
  RunOptions options;
  options.argv = {program};
  options.work_dir = card.work;
  options.input = std::move(input);
  options.deadline = longest_run;
  options.peak_memory = PEAK_MEMORY;
  return options;
}

// What every run must keep; the figures say how many runs kept it.
struct Tally {
  int runs = 0;
  long peak_kib = 0;
  long slowest_ms = 0;

  void check(const Outcome& outcome, int status, const Tree& expected, const Tree& actual,
             const std::string& what) {
    ++runs;
    peak_kib = std::max(peak_kib, outcome.max_rss_kib);
    slowest_ms = std::max<long>(slowest_ms, outcome.elapsed.count());
    EXPECT_FALSE(outcome.timed_out) << what << ": did not end by itself";
    EXPECT_EQ(outcome.status, status) << what << ": " << outcome.how_it_ended;
    EXPECT_EQ(actual, expected) << what << ": the card holds the wrong files";
    if (measure_memory) {
      EXPECT_LT(outcome.max_rss_kib, max_rss_kib) << what;
    }
  }
  void report(const std::string& kind, const std::string& held) const {
    std::cout << "robustness | " << kind << " | " << runs << " | " << held << " | "
              << (measure_memory ? std::to_string(peak_kib) + " KiB" : "(sanitized build)") << " | "
              << slowest_ms << " ms |\n";
  }
};

const std::string old_note = "ancienne\r\n\r\nnote";

// A complete French save run for the card, note "Acheter\r\n\r\nPain".
std::string save_run(const Card& card) {
  return "Courses\no\nAcheter\nPain\no\n" + card.root.string() + "\n";
}
const std::string saved_note = "Acheter\r\n\r\nPain";

// ==== Endless, huge and random input ====

TEST(HostileInput, EndlessZeroesEndQuickly) {
  // Endless input that is never an answer, with the status it ends with; "$0"
  // is the program, "$1" and "$2" two cards, "$3" its yes. What one question
  // passes over adds up across its asks.
  const std::pair<std::string, int> scripts[] = {
      {"yes | \"$0\" --lines", 0},
      {"yes a/b | \"$0\"", 0},  // a refused title, in both dialogues
      {"yes a/b | \"$0\" --lines", 0},
      // Empty lines at the drive question, with two cards offered.
      {"unshare -m sh -c 'mount --bind \"$1\" \"$1\" && mount --bind \"$2\" \"$2\" && { printf "
       "\"T\\nn\\nB\\n\\n%s\\n\" \"$3\"; yes \"\"; } | \"$0\" --lines >/dev/null' \"$0\" \"$1\" "
       "\"$2\" \"$3\"",
       1}};
  Tally tally;
  for (const char* program : {NOTECREATOR_FR, NOTECREATOR_EN}) {
    Card card;
    card.put_note("Courses.txt", old_note);
    lay_out_card(card.scratch.path / "other", "folders");
    const Tree before = card.tree();
    RunOptions options = run_in(card, program, "");
    options.input_file = "/dev/zero";
    tally.check(run_program(options), 0, before, card.tree(), program);
    options.input_file.clear();
    options.deadline = 4 * longest_run;  // millions of lines: slow under the sanitizers
    const std::string yes = program == std::string(NOTECREATOR_FR) ? "o" : "y";
    for (const auto& [script, status] : scripts) {
      if (script.starts_with("unshare") && geteuid() != 0) continue;  // mounts need root
      options.argv = {"/bin/sh",
                      "-c",
                      script,
                      program,
                      card.root.string(),
                      (card.scratch.path / "other").string(),
                      yes};
      tally.check(run_program(options), status, before, card.tree(), script + ": " + program);
    }
  }
  tally.report(
      "`/dev/zero` as input, `yes` and `yes a/b`, endless empty lines at the drive question",
      "ends after 16 MiB passed over by one question, card untouched");
}

TEST(HostileInput, ATenMebibyteWordIsRefusedWhole) {
  const std::string huge(10 << 20, 'a');
  Tally tally;
  {
    Card card;
    const Tree before = card.tree();
    const Outcome outcome = run_program(run_in(card, NOTECREATOR_EN, huge));
    tally.check(outcome, 0, before, card.tree(), "as the title");
  }
  {
    // As the drive answer: too long to be a mount point, so refused, never cut.
    Card card;
    card.put_note("T.txt", old_note);
    const Tree before = card.tree();
    const Outcome outcome = run_program(run_in(card, NOTECREATOR_EN, "T\nn\nB\ny\n" + huge));
    tally.check(outcome, 1, before, card.tree(), "as the drive");
  }
  tally.report("a single 10 MiB word, as the title and as the drive",
               "status 0 and 1, card untouched");
}

TEST(HostileInput, RandomBytesNeverHangOrWrite) {
  constexpr int runs = 48;
  std::mt19937 random(20261207);
  std::vector<std::unique_ptr<Card>> cards;
  std::vector<RunOptions> options;
  std::vector<Tree> before;
  for (int i = 0; i < runs; ++i) {
    std::string input(std::uniform_int_distribution<std::size_t>(0, 8192)(random), '\0');
    for (char& c : input) c = static_cast<char>(random());
    cards.push_back(std::make_unique<Card>());
    cards.back()->put_note("a.txt", old_note);
    before.push_back(cards.back()->tree());
    options.push_back(run_in(*cards.back(), i % 2 ? NOTECREATOR_FR : NOTECREATOR_EN, input));
  }
  const auto outcomes = run_programs(options);
  Tally tally;
  for (int i = 0; i < runs; ++i) {
    // A random drive answer names no card, so a yes to saving fails with 1.
    const int status = outcomes[i].status == 1 ? 1 : 0;
    tally.check(outcomes[i], status, before[i], cards[i]->tree(), "run " + std::to_string(i));
  }
  tally.report("random bytes (0 to 8 KiB, fixed seed)", "status 0 or 1, card untouched");
}

// ==== Odd bytes in the answers ====

TEST(HostileInput, NulBytesAndLoneCarriageReturns) {
  struct Run {
    std::string what;
    std::string input;  // up to the drive answer
    std::string after_drive;
    int status;
    std::map<std::string, std::string> notes;  // the notes folder afterwards
  };
  const std::vector<Run> table = {
      // Refused at its prompt; the next title is taken.
      {"NUL in the title",
       "Cour\0ses\nCourses\nn\nPain\no\n"s,
       "\n",
       0,
       {{"Courses.txt", "\r\n\r\nPain"}}},
      {"NUL in the comment and the body",
       "Courses\no\nAch\0ter\nPa\0n\no\n"s,
       "\n",
       0,
       {{"Courses.txt", "Ach\0ter\r\n\r\nPa\0n"s}}},
      {"NUL in the drive", "Courses\nn\nPain\no\n", "\0\n"s, 1, {}},
      {"lines ended by CR alone",
       "Courses\ro\rAcheter\rPain\ro\r",
       "\r",
       0,
       {{"Courses.txt", saved_note}}},
  };
  Tally tally;
  for (const auto& run : table) {
    Card card;
    const Tree before = card.tree();
    const Outcome outcome =
        run_program(run_in(card, NOTECREATOR_FR, run.input + card.root.string() + run.after_drive));
    tally.check(outcome, run.status, run.status == 0 ? card.with_notes(run.notes) : before,
                card.tree(), run.what);
  }
  tally.report("NUL bytes in the title, comment, body and drive; lines ended by CR alone",
               "NULs kept byte for byte in the note, refused in names and asked again");
}

// ==== Input cut short anywhere ====

TEST(HostileInput, InputEndingAtEveryByteOfASaveRun) {
  Card probe;
  const std::size_t length = save_run(probe).size();
  std::vector<std::unique_ptr<Card>> cards;
  std::vector<RunOptions> options;
  for (std::size_t cut = 0; cut <= length; ++cut) {
    cards.push_back(std::make_unique<Card>());
    cards.back()->put_note("Courses.txt", old_note);
    options.push_back(
        run_in(*cards.back(), NOTECREATOR_FR, save_run(*cards.back()).substr(0, cut)));
  }
  const auto outcomes = run_programs(options, 24);
  Tally tally;
  const std::string up_to_save_answer = "Courses\no\nAcheter\nPain\no";
  for (std::size_t cut = 0; cut <= length; ++cut) {
    const Card& card = *cards[cut];
    // Ended before the save answer: nothing asked, status 0. Ended inside the
    // drive: not saved, 1. The whole drive word (its line feed or not): saved.
    const bool asked = cut >= up_to_save_answer.size();
    const bool whole_drive = cut >= length - 1;
    const int status = asked && !whole_drive ? 1 : 0;
    const Tree expected = card.with_notes({{"Courses.txt", whole_drive ? saved_note : old_note}});
    tally.check(outcomes[cut], status, expected, card.tree(), "cut at " + std::to_string(cut));
  }
  tally.report("input ending at every byte of a complete save run",
               "old note kept whole until the run is complete, status as promised");
}

// ==== Titles that try to get out ====

TEST(HostileInput, TitlesThatTryToLeaveTheFolderOrNameADevice) {
  const std::vector<std::string> titles = {"../x",    "../../x", "..\\x",
                                           "/x",      "/tmp/x",  "a/b",
                                           "a\\b",    "\\x",     "C:x",
                                           "x:",      "CON",     "con",
                                           "Con.txt", "PRN",     "AUX.a",
                                           "NUL",     "nul.b.c", "CONIN$",
                                           "CONOUT$", "COM1",    "com9",
                                           "LPT1",    "Lpt9.x",  "a*b",
                                           "a?b",     "a\"b",    "a<b",
                                           "a>b",     "a|b",     "a\x01",
                                           "a\x1f",   "a\x7f",   std::string(252, 'x')};
  std::vector<std::unique_ptr<Card>> cards;
  std::vector<RunOptions> options;
  std::vector<Tree> before;
  for (const auto& title : titles) {
    cards.push_back(std::make_unique<Card>());
    cards.back()->put_note("x.txt", old_note);
    before.push_back(cards.back()->tree());
    // Refused at the prompt, and asked again: the input then ends.
    options.push_back(run_in(*cards.back(), NOTECREATOR_EN, title + "\n"));
  }
  const auto outcomes = run_programs(options);
  Tally tally;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    tally.check(outcomes[i], 0, before[i], cards[i]->tree(), "title " + titles[i].substr(0, 20));
    EXPECT_EQ(std::count(outcomes[i].out.begin(), outcomes[i].out.end(), '\n'), 6)
        << "not asked again";
    EXPECT_TRUE(outcomes[i].err.starts_with("A title ") ||
                outcomes[i].err.find(" device") != std::string::npos)
        << outcomes[i].err;
  }
  tally.report("titles with separators, parent folders, device names, FAT-refused bytes, 252 bytes",
               "refused at the prompt with the reason, asked again, nothing written anywhere");
}

// ==== A card that is full, missing or laid out wrong ====

TEST(CardFaults, EveryWayOfNotSavingKeepsTheOldNote) {
  struct Fault {
    std::string what;
    std::string layout;
    bool full = false;
  };
  const std::vector<Fault> faults = {{"a full card", "folders", true},
                                     {"a missing notes folder", "empty"},
                                     {"notes is a file", "notes-is-file"},
                                     {"no card at the mount point", "absent"},
                                     {"the card root is a file", "root-is-file"}};
  Tally tally;
  for (const auto& fault : faults) {
    Card card(fault.layout);
    // An old note under the same title, wherever the layout has room for one.
    if (fault.layout == "folders") card.put_note("Courses.txt", old_note);
    if (fault.layout == "empty") write_file(card.root / "Courses.txt", old_note);
    const Tree before = card.tree();
    RunOptions options = run_in(card, NOTECREATOR_FR, save_run(card));
    options.full_card = fault.full;
    const Outcome outcome = run_program(options);
    tally.check(outcome, 1, before, card.tree(), fault.what);
    EXPECT_NE(outcome.err.find("La note n'a pas pu etre sauvee: "), std::string::npos);
  }
  tally.report("full card, missing notes folder, notes a file, no card, card a file",
               "status 1, the reason shown, old note and card untouched");
}

// ==== Killed in the middle ====

bool is_leftover(const std::string& name) {
  return name.starts_with(notes_folder + ".notecreator-");
}

TEST(CardFaults, KilledAtAnyMomentTheCardHoldsTheOldOrTheNewNote) {
  constexpr int kills = 64;
  // Most kills land around the write, right after the welcome pause; the
  // rest anywhere in the run.
  std::mt19937 random(7122026);
  std::uniform_int_distribution<int> around_write(1995, 2030), anywhere(0, 4200);
  std::vector<std::unique_ptr<Card>> cards;
  std::vector<RunOptions> options;
  const std::string comment(1024, 'c'), body(2048, 'b');
  const std::string big_note = comment + "\r\n\r\n" + body;
  for (int i = 0; i < kills; ++i) {
    cards.push_back(std::make_unique<Card>());
    cards.back()->put_note("Courses.txt", old_note);
    options.push_back(run_in(
        *cards.back(), NOTECREATOR_FR,
        "Courses\no\n" + comment + "\n" + body + "\no\n" + cards.back()->root.string() + "\n"));
    options.back().kill =
        std::chrono::milliseconds(i % 4 ? around_write(random) : anywhere(random));
  }
  const auto outcomes = run_programs(options);

  int old_kept = 0, new_whole = 0, leftovers = 0;
  std::vector<RunOptions> again;
  for (int i = 0; i < kills; ++i) {
    const Tree after = cards[i]->tree();
    const std::string& note = after.at(notes_folder + "Courses.txt");
    EXPECT_TRUE(note == old_note || note == big_note) << "kill " << i << ": a mixture";
    (note == old_note ? old_kept : new_whole) += 1;
    for (const auto& [name, bytes] : after) {
      if (!name.starts_with(notes_folder) || name == notes_folder) continue;
      if (is_leftover(name)) ++leftovers;
      EXPECT_TRUE(is_leftover(name) || name == notes_folder + "Courses.txt") << name;
      EXPECT_FALSE(name.ends_with(".txt") && is_leftover(name)) << name;
    }
    again.push_back(run_in(*cards[i], NOTECREATOR_FR, save_run(*cards[i])));
  }

  // Whatever a kill left behind, the next save of that title goes through.
  const auto next = run_programs(again);
  Tally tally;
  for (int i = 0; i < kills; ++i) {
    Tree expected = cards[i]->with_notes({{"Courses.txt", saved_note}});
    for (const auto& [name, bytes] : cards[i]->tree())
      if (is_leftover(name)) expected[name] = bytes;
    tally.check(next[i], 0, expected, cards[i]->tree(), "save after kill " + std::to_string(i));
  }
  std::cout << "robustness | SIGKILL during a save run (" << old_kept << " left the old note, "
            << new_whole << " the whole new one, " << leftovers << " a temporary file) | " << kills
            << " | "
            << "never a mixture; no leftover ends in .txt; the next save succeeds |  |  |\n";
  tally.report("a complete save after each kill", "status 0, note saved whole");
}

}  // namespace
