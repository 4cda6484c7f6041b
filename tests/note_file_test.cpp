// The note file on this host's file system, faults included.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sched.h>
#include <sys/mount.h>
#endif

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
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

  static bool saved(const NotePath& path, const NoteDraft& draft) {
    return write_note_file(path, draft).fault == SaveFault::none;
  }
  NotePath path_of(const std::string& title) const { return posix_note_path(card.string(), title); }
  void put_old_note(const std::string& bytes) const {
    std::ofstream(notes / "Courses.txt", std::ios::binary) << bytes;
  }

  fs::path card;
  fs::path notes;
};

TEST_F(NoteFile, HoldsExactlyCommentCrLfCrLfBody) {
  ASSERT_TRUE(saved(path_of("Courses"), {"Courses", "Acheter", "Pain"}));
  EXPECT_EQ(read_file(notes / "Courses.txt"), "Acheter\r\n\r\nPain");
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

TEST_F(NoteFile, ReplacesAnOlderNoteWhole) {
  put_old_note(std::string(100, 'o'));
  ASSERT_TRUE(saved(path_of("Courses"), {"Courses", "", "Pain"}));
  EXPECT_EQ(read_file(notes / "Courses.txt"), "\r\n\r\nPain");
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

TEST_F(NoteFile, NeverCreatesMissingFolders) {
  fs::remove_all(card / "PSP");
  const SaveResult result = write_note_file(path_of("Courses"), {"Courses", "a", "b"});
  EXPECT_EQ(result.fault, SaveFault::no_notes_folder);
  EXPECT_EQ(result.detail, (card / "PSP").string());
  EXPECT_TRUE(fs::is_empty(card));
}

TEST_F(NoteFile, AFolderInTheNotesPlaceIsNotReplaced) {
  fs::create_directory(notes / "Courses.txt");
  EXPECT_EQ(write_note_file(path_of("Courses"), {"Courses", "a", "b"}).fault, SaveFault::other);
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
    const SaveResult result = write_note_file(path_of("Courses"), {"Courses", "new", "note"});
    _exit(result.fault == SaveFault::none ? 0 : result.fault == SaveFault::full ? 1 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << "the write was reported done, or not as a full card";
  EXPECT_EQ(read_file(notes / "Courses.txt"), "old note");
  EXPECT_EQ(names_in(notes), std::set<std::string>{"Courses.txt"});
}

#ifdef __linux__
// A card mounted read-only (its write-protect switch), in a child with a
// mount namespace of its own: root only.
TEST_F(NoteFile, AReadOnlyCardSaysSo) {
  put_old_note("old note");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(card.c_str(), card.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, card.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
      _exit(77);
    const SaveResult result = write_note_file(path_of("Courses"), {"Courses", "new", "note"});
    _exit(result.fault == SaveFault::read_only ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace here (not root?)";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "not reported as read-only";
  EXPECT_EQ(read_file(notes / "Courses.txt"), "old note");
}
#endif

// The card found by itself: the mounts that hold the notes folder, less the
// file systems a look could hang on.
TEST_F(NoteFile, CardsAmongTheMountsAreThoseWithTheNotesFolder) {
  const fs::path no_notes = card / "PSP";  // a folder, without the notes below it
  const std::vector<Mount> mounts = {
      {"/", "ext4"},           {card.string(), "vfat"},  {no_notes.string(), "vfat"},
      {card.string(), "vfat"},  // mounted twice
      {card.string(), "nfs4"}, {card.string(), "autofs"}};
  EXPECT_EQ(cards_among(mounts, '/'), std::vector<std::string>{card.string()});
  EXPECT_EQ(cards_among({{card.string(), "cifs"}}, '/'), std::vector<std::string>{});
}

TEST(MountsInTable, TakesEachMountPointAndTypeWithItsBlanks) {
  std::istringstream table(
      "/dev/sdb1 /media/al/NO\\040NAME vfat rw,nosuid 0 0\n"
      "server:/x /mnt/x nfs4 rw 0 0\n"
      "C:\\134 /mnt/c 9p rw 0 0\n");
  const std::vector<Mount> mounts = mounts_in_table(table);
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].point, "/media/al/NO NAME");
  EXPECT_EQ(mounts[0].type, "vfat");
  EXPECT_EQ(mounts[1].type, "nfs4");
  EXPECT_EQ(mounts[2].point, "/mnt/c");
}

TEST_F(NoteFile, ALeftoverTemporaryFileDoesNotStopTheNextSave) {
  // The very name this process tries first.
  const std::string leftover = temporary_name(static_cast<unsigned long>(getpid()), 0);
  std::ofstream(notes / leftover) << "from a killed run";
  ASSERT_TRUE(saved(path_of("Courses"), {"Courses", "a", "b"}));
  EXPECT_EQ(read_file(notes / "Courses.txt"), "a\r\n\r\nb");
  EXPECT_EQ(names_in(notes), (std::set<std::string>{"Courses.txt", leftover}));
}

}  // namespace
