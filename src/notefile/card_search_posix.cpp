// The mount table on POSIX hosts: Linux's /proc/self/mounts (WSL's drives
// are there too, under /mnt), and macOS's own list with /Volumes.
#ifdef __APPLE__
#include <sys/mount.h>
#include <sys/param.h>
#include <sys/ucred.h>
#endif

#include <fstream>
#include <sstream>

#include "notefile/notefile.h"

namespace {

constexpr int octal_base = 8;

// The table writes a blank in a mount point as \040, a tab as \011.
std::string unescape_mount_field(const std::string& field) {
  std::string text;
  for (std::size_t at = 0; at < field.size(); ++at) {
    if (field[at] == '\\' && at + 3 < field.size()) {
      const std::string digits = field.substr(at + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        text.push_back(static_cast<char>(std::stoi(digits, nullptr, octal_base)));
        at += 3;
        continue;
      }
    }
    text.push_back(field[at]);
  }
  return text;
}

}  // namespace

std::vector<Mount> mounts_in_table(std::istream& table) {
  std::vector<Mount> mounts;
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string device;
    std::string point;
    std::string type;
    if (fields >> device >> point >> type)
      mounts.push_back({unescape_mount_field(point), unescape_mount_field(type)});
  }
  return mounts;
}

std::vector<std::string> find_cards() {
  std::vector<Mount> mounts;
#ifdef __APPLE__
  struct statfs* table = nullptr;
  const int count = getmntinfo(&table, MNT_NOWAIT);
  for (int i = 0; i < count; ++i) mounts.push_back({table[i].f_mntonname, table[i].f_fstypename});
#else
  std::ifstream table("/proc/self/mounts");
  mounts = mounts_in_table(table);
#endif
  return cards_among(mounts, '/');
}
