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

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "notefile/notefile.h"
#include "notefile/text_file.h"

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

// The card found by itself: the mounts that hold the notes folder, each card
// once, less the file systems a look could hang on.
TEST_F(NoteFile, CardsAmongTheMountsAreThoseWithTheNotesFolder) {
  struct MountCase {
    std::string name;  // a card of its own below the scratch folder
    std::string type;
    bool offered;
  };
  const MountCase cases[] = {
      {"vfat", "vfat", true},
      {"exfat", "exfat", true},
      {"fuseblk", "fuseblk", true},
      {"nfs4", "nfs4", false},
      {"autofs", "autofs", false},
      {"cifs", "cifs", false},
      {"rclone", "fuse.rclone", false},
      {"sshfs", "fuse.sshfs", false},
      {"9p", "9p", false},  // WSL's, and only at /mnt/<letter>
  };
  std::vector<Mount> mounts = {{"/", "ext4"}, {(card / "PSP").string(), "vfat"}};  // no notes
  std::vector<std::string> offered;
  for (const auto& c : cases) {
    fs::create_directories(card / c.name / "PSP" / "GAME" / "Velloran" / "notes");
    mounts.push_back({(card / c.name).string(), c.type});
    if (c.offered) offered.push_back((card / c.name).string());
  }
  // One card at two points, the longer listed first: once, by the shorter.
  fs::create_directory_symlink(card / "vfat", card / "vfat, bound again");
  mounts.insert(mounts.begin(), {(card / "vfat, bound again").string(), "vfat"});
  // Mounted before the cards: a container's or systemd's many own.
  for (int i = 0; i < 70; ++i)
    mounts.insert(mounts.begin(), {"/run/busy/" + std::to_string(i), "tmpfs"});
  EXPECT_EQ(cards_among(mounts, '/'), offered);
}

// A look that comes late waits no more: never a wait of 49 days.
TEST(TimeLeft, IsNoneOnceTheDeadlineHasPassed) {
  EXPECT_EQ(time_left_ms(1000, 1500), 500u);
  EXPECT_EQ(time_left_ms(1500, 1500), 0u);
  EXPECT_EQ(time_left_ms(1501, 1500), 0u);
}

TEST(MayHoldCard, TakesWslDrivesOnlyWhereWslPutsThem) {
  EXPECT_TRUE(may_hold_card({"/mnt/e", "9p"}));
  EXPECT_TRUE(may_hold_card({"/mnt/e", "drvfs"}));
  EXPECT_FALSE(may_hold_card({"/mnt/wsl", "9p"}));
  EXPECT_FALSE(may_hold_card({"/mnt/e", "fuse"}));
}

TEST(MountsInTable, TakesEachMountPointAndTypeWithItsBlanks) {
  const std::vector<Mount> mounts = mounts_in_table(
      "/dev/sdb1 /media/al/NO\\040NAME vfat rw,nosuid 0 0\n"
      "server:/x /mnt/x nfs4 rw 0 0\n"
      "C:\\134 /mnt/back\\134slash\\011tab 9p rw 0 0\n"
      "short line\n"
      "/dev/sdc1\t/media/last\tfuseblk rw 0 0");
  ASSERT_EQ(mounts.size(), 4u);
  EXPECT_EQ(mounts[0].point, "/media/al/NO NAME");
  EXPECT_EQ(mounts[0].type, "vfat");
  EXPECT_EQ(mounts[1].type, "nfs4");
  EXPECT_EQ(mounts[2].point, "/mnt/back\\slash\ttab");
  EXPECT_EQ(mounts[3].point, "/media/last");
  EXPECT_EQ(mounts[3].type, "fuseblk");
}

// What each failure says to the user: the fault, and its words.
TEST(PosixSaveFault, SaysWhatIsReallyWrong) {
  struct FaultCase {
    int error;
    SaveStep step;
    SaveFault fault;
    std::string words;
  };
  const FaultCase cases[] = {
      {EROFS, SaveStep::create, SaveFault::read_only, "read-only or write-protected"},
      {EACCES, SaveStep::create, SaveFault::not_permitted, "you may not write there"},
      {EPERM, SaveStep::open_folder, SaveFault::not_permitted, "you may not write there"},
      // A sticky folder holding another user's note, in a folder the user may write.
      {EPERM, SaveStep::rename, SaveFault::not_permitted, "you may not write there"},
      // No note in the way: a FUSE FAT driver refusing the name.
      {EPERM, SaveStep::rename_new, SaveFault::name_refused, "refuses the name"},
      // A FAT driver's refusal of a name it cannot store.
      {EINVAL, SaveStep::rename, SaveFault::name_refused, "refuses the name"},
      {EILSEQ, SaveStep::rename, SaveFault::name_refused, "refuses the name"},
      {ENAMETOOLONG, SaveStep::rename, SaveFault::name_refused, "refuses the name"},
      {ENAMETOOLONG, SaveStep::open_folder, SaveFault::path_too_long, "path is too long"},
      {ENOSPC, SaveStep::write, SaveFault::full, "the card is full"},
      {EFBIG, SaveStep::write, SaveFault::full, "the card is full"},
      {EIO, SaveStep::sync, SaveFault::other, "could not be saved: x"},
  };
  for (const auto& c : cases) {
    const SaveFault fault = posix_save_fault(c.error, c.step);
    EXPECT_EQ(fault, c.fault) << std::strerror(c.error);
    EXPECT_NE(failure_line(catalogue, {fault, "x"}).find(c.words), std::string::npos)
        << std::strerror(c.error) << ": " << failure_line(catalogue, {fault, "x"});
  }
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

// A text file's bytes as a note: what is text, and what is not.
TEST(NoteOfFileBytes, TakesUtf8AndUtf16WithTheirMarks) {
  struct FileCase {
    std::string bytes;
    bool eight_bit_kept;
    TextFile::Fault fault;
    std::string text;
  };
  const std::string big_utf16 = std::string("\xfe\xff\xd8\x3d\xde\x00\x00\x61", 8);
  const FileCase cases[] = {
      {"a\r\nb\n", false, TextFile::Fault::none, "a\r\nb"},
      {std::string("\xfe\xff\x00\xe9\x00\n\x00x", 8), false, TextFile::Fault::none,
       "\xc3\xa9\r\nx"},
      {big_utf16, false, TextFile::Fault::none,
       "\xf0\x9f\x98\x80"
       "a"},                                                       // a surrogate pair
      {"\xff\xfe\x3d\xd8", false, TextFile::Fault::not_text, ""},  // half a pair
      {"\xff\xfe"
       "a",
       false, TextFile::Fault::not_text, ""},  // an odd byte
      {"caf\xe9", false, TextFile::Fault::not_text, ""},
      {"caf\xe9", true, TextFile::Fault::none, "caf\xe9"},  // Windows: read as ANSI
      {"\xc3\xa9\xe2\x82\xac", false, TextFile::Fault::none, "\xc3\xa9\xe2\x82\xac"},
      {"\xc0\xaf", false, TextFile::Fault::not_text, ""},      // overlong
      {"\xed\xa0\x80", false, TextFile::Fault::not_text, ""},  // a surrogate
      {"\xe2\x82", false, TextFile::Fault::not_text, ""},      // cut short
      {std::string(65537, 'x'), false, TextFile::Fault::too_long, ""},
  };
  for (const FileCase& c : cases) {
    const TextFile file = note_of_file_bytes(c.bytes, c.eight_bit_kept);
    EXPECT_EQ(file.fault, c.fault) << c.bytes.substr(0, 8);
    EXPECT_EQ(c.fault == TextFile::Fault::none ? file.text : "", c.text);
  }
  EXPECT_EQ(title_of_file_name("C:\\notes\\Plans.TXT", true), "Plans");
  EXPECT_EQ(title_of_file_name("notes/a.txt.txt", false), "a.txt");
}
