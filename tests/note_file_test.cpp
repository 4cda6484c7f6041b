// The note file on this host's file system, faults included.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "notefile/notefile.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::set<std::string> names_in(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

class NoteFile : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "note-file-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    card = name;
    notes = card / "PSP" / "GAME" / "Velloran" / "notes";
    fs::create_directories(notes);
  }
  void TearDown() override { fs::remove_all(card); }

  NotePath path_of(const std::string& title) const { return posix_note_path(card.string(), title); }
  void put_old_note(const std::string& bytes) const {
    std::ofstream(notes / "Courses.txt", std::ios::binary) << bytes;
  }

  fs::path card;
  fs::path notes;
};

TEST_F(NoteFile, HoldsExactlyCommentCrLfCrLfBody) {
  ASSERT_TRUE(write_note_file(path_of("Courses"), {"Courses", "Acheter", "Pain"}));
  EXPECT_EQ(read_file(notes / "Courses.txt"), "Acheter\r\n\r\nPain");
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

TEST_F(NoteFile, ReplacesAnOlderNoteWhole) {
  put_old_note(std::string(100, 'o'));
  ASSERT_TRUE(write_note_file(path_of("Courses"), {"Courses", "", "Pain"}));
  EXPECT_EQ(read_file(notes / "Courses.txt"), "\r\n\r\nPain");
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

TEST_F(NoteFile, NeverCreatesMissingFolders) {
  fs::remove_all(card / "PSP");
  EXPECT_FALSE(write_note_file(path_of("Courses"), {"Courses", "a", "b"}));
  EXPECT_TRUE(fs::is_empty(card));
}

TEST_F(NoteFile, AFolderInTheNotesPlaceIsNotReplaced) {
  fs::create_directory(notes / "Courses.txt");
  EXPECT_FALSE(write_note_file(path_of("Courses"), {"Courses", "a", "b"}));
  EXPECT_TRUE(fs::is_directory(notes / "Courses.txt"));
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

// A full card, without a mock: in a child whose file size limit is zero,
// every write fails with EFBIG.
TEST_F(NoteFile, AFailedWriteKeepsTheOldNoteAndLeavesNoTemporaryFile) {
  put_old_note("old note");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit none = {0, 0};
    setrlimit(RLIMIT_FSIZE, &none);
    _exit(write_note_file(path_of("Courses"), {"Courses", "new", "note"}) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << "the write was reported done";
  EXPECT_EQ(read_file(notes / "Courses.txt"), "old note");
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

TEST_F(NoteFile, ALeftoverTemporaryFileDoesNotStopTheNextSave) {
  // The very name this process tries first.
  const std::string leftover = temporary_name(static_cast<unsigned long>(getpid()), 0);
  std::ofstream(notes / leftover) << "from a killed run";
  ASSERT_TRUE(write_note_file(path_of("Courses"), {"Courses", "a", "b"}));
  EXPECT_EQ(read_file(notes / "Courses.txt"), "a\r\n\r\nb");
  EXPECT_EQ(names_in(notes), (std::set<std::string>{"Courses.txt", leftover}));
}

}  // namespace
