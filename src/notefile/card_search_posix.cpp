// The mount table on POSIX hosts: Linux's /proc/self/mounts (WSL's drives
// are there too, under /mnt), and macOS's own list with /Volumes. Read with
// plain reads: iostreams would bring the C++ locales into a static build.
#ifdef __APPLE__
#include <sys/mount.h>
#include <sys/param.h>
#include <sys/ucred.h>
#endif
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "console/signals_posix.h"
#include "console/unique_fd_posix.h"
#include "notefile/notefile.h"

namespace {

constexpr int octal_base = 8;
constexpr std::string_view field_separators = " \t";

// The table writes a blank in a field as \040, a tab as \011, a backslash
// as \134.
std::string unescape_mount_field(std::string_view field) {
  std::string text;
  for (std::size_t at = 0; at < field.size(); ++at) {
    const std::string_view digits = field.substr(at + 1, 3);
    if (field[at] == '\\' && digits.size() == 3 &&
        digits.find_first_not_of("01234567") == std::string_view::npos) {
      int value = 0;
      for (const char digit : digits) value = value * octal_base + (digit - '0');
      text.push_back(static_cast<char>(value));
      at += 3;
      continue;
    }
    text.push_back(field[at]);
  }
  return text;
}

#ifndef __APPLE__
constexpr std::size_t read_size = 4096;

std::string read_file(const char* path) {
  std::string text;
  const UniqueFd file(open(path, O_RDONLY | O_CLOEXEC));
  if (file.fd < 0) return text;
  std::array<char, read_size> buffer{};
  for (;;) {
    const ssize_t got = read(file.fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer.data(), static_cast<std::size_t>(got));
  }
  return text;
}

bool runs_on_wsl() {
  return access("/proc/sys/fs/binfmt_misc/WSLInterop", F_OK) == 0;
}
#endif

// What a look's child process tells its parent.
struct LookRecord {
  int found = 0;
  unsigned long long device = 0;
  unsigned long long inode = 0;
};

// Both ends close on exec (pipe2 is not on macOS).
bool make_pipe(std::array<int, 2>& ends) {
  if (pipe(ends.data()) != 0) return false;
  for (const int fd : ends) fcntl(fd, F_SETFD, FD_CLOEXEC);
  return true;
}

// In the child: only async-signal-safe calls, then out.
// The signals that end the program end a look's child too: its parent's
// handlers (which put the terminal back) are not its own.
[[noreturn]] void look_and_tell(const std::string& folder, int to_parent) {
  for (const int signal_number : exit_signals) signal(signal_number, SIG_DFL);
  LookRecord record;
  if (const std::optional<FolderId> id = folder_identity(folder))
    record = {1, id->device, id->inode};
  // Nothing to do if it fails: the parent takes no answer as nothing found.
  [[maybe_unused]] const ssize_t told = write(to_parent, &record, sizeof record);
  _exit(0);
}

// A look under way: its child, and the pipe its answer comes through.
struct Looker {
  std::size_t look;
  pid_t child;
};

// Starts a child for each folder; answers[k] is where looker k answers.
std::vector<Looker> start_looks(const std::vector<std::string>& folders,
                                std::vector<pollfd>& answers) {
  std::vector<Looker> lookers;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    std::array<int, 2> ends{};
    if (!make_pipe(ends)) continue;
    const pid_t child = fork();
    if (child == 0) look_and_tell(folders[i], ends[1]);
    close(ends[1]);
    if (child < 0) {
      close(ends[0]);
      continue;
    }
    lookers.push_back({i, child});
    answers.push_back({ends[0], POLLIN, 0});
  }
  return lookers;
}

// Takes the answer waiting at a pipe, and closes it.
void take_answer(pollfd& answer, FolderLook& look) {
  LookRecord record;
  look.answered = true;  // a child that died without a word found nothing
  if (read(answer.fd, &record, sizeof record) == static_cast<ssize_t>(sizeof record) &&
      record.found != 0)
    look.id = FolderId{record.device, record.inode};
  close(answer.fd);
  answer.fd = -1;  // poll passes over it from now on
}

// Takes the answers that come before the deadline.
void gather_answers(const std::vector<Looker>& lookers, std::vector<pollfd>& answers,
                    std::vector<FolderLook>& looks,
                    std::chrono::steady_clock::time_point deadline) {
  for (std::size_t waiting = answers.size(); waiting > 0;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    const int ready = poll(answers.data(), answers.size(), static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    for (std::size_t k = 0; k < answers.size(); ++k) {
      if (answers[k].fd < 0 || answers[k].revents == 0) continue;
      take_answer(answers[k], looks[lookers[k].look]);
      --waiting;
    }
  }
}

}  // namespace

// Each look in a child process of its own: a look stuck in the kernel (a
// FUSE server that never answers) holds only that child, which is killed
// when the time is up.
std::vector<FolderLook> look_at_folders(const std::vector<std::string>& folders,
                                        unsigned milliseconds) {
  std::vector<FolderLook> looks(folders.size());
  std::vector<pollfd> answers;
  const std::vector<Looker> lookers = start_looks(folders, answers);
  gather_answers(lookers, answers, looks,
                 std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
  for (std::size_t k = 0; k < lookers.size(); ++k) {
    const bool answered = answers[k].fd < 0;
    if (!answered) {
      kill(lookers[k].child, SIGKILL);
      close(answers[k].fd);
    }
    // A child stuck where even SIGKILL waits is left to end with the program.
    while (waitpid(lookers[k].child, nullptr, answered ? 0 : WNOHANG) < 0 && errno == EINTR) {
    }
  }
  return looks;
}

std::vector<Mount> mounts_in_table(std::string_view table) {
  std::vector<Mount> mounts;
  while (!table.empty()) {
    const std::size_t end = table.find('\n');
    std::string_view line = table.substr(0, end);
    table.remove_prefix(end == std::string_view::npos ? table.size() : end + 1);
    // The device, the mount point and the type.
    std::array<std::string_view, 3> fields;
    std::size_t count = 0;
    for (; count < fields.size(); ++count) {
      const std::size_t start = line.find_first_not_of(field_separators);
      if (start == std::string_view::npos) break;
      line.remove_prefix(start);
      fields.at(count) = line.substr(0, line.find_first_of(field_separators));
      line.remove_prefix(fields.at(count).size());
    }
    if (count == fields.size())
      mounts.push_back({unescape_mount_field(fields[1]), unescape_mount_field(fields[2])});
  }
  return mounts;
}

std::optional<FolderId> folder_identity(const std::string& path) {
  struct stat status = {};
  if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
  return FolderId{static_cast<unsigned long long>(status.st_dev),
                  static_cast<unsigned long long>(status.st_ino)};
}

std::vector<std::string> find_cards() {
  std::vector<Mount> mounts;
#ifdef __APPLE__
  struct statfs* table = nullptr;
  const int count = getmntinfo(&table, MNT_NOWAIT);
  for (int i = 0; i < count; ++i)
    if ((table[i].f_flags & MNT_LOCAL) != 0)
      mounts.push_back({table[i].f_mntonname, table[i].f_fstypename});
#else
  mounts = mounts_in_table(read_file("/proc/self/mounts"));
#endif
  return cards_among(mounts, '/');
}

std::string card_answer_example([[maybe_unused]] std::string_view someone) {
#ifdef __APPLE__
  return "/Volumes/NO NAME";
#else
  if (runs_on_wsl()) return "E";
  const char* user = std::getenv("USER");
  if (user == nullptr || *user == '\0') user = std::getenv("LOGNAME");
  const std::string name = user == nullptr || *user == '\0' || std::strchr(user, '/') != nullptr
                               ? std::string(someone)
                               : std::string(user);
  return (is_folder("/run/media") ? "/run/media/" : "/media/") + name + "/NO NAME";
#endif
}
