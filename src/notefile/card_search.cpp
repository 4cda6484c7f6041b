#include <algorithm>
#include <array>

#include "notefile/notefile.h"

namespace {

// File systems that may block a look, or wake something up: network ones,
// the automounter, and the kernel's own, which hold no card.
constexpr std::array<std::string_view, 29> passed_over_types = {
    "nfs",     "nfs4",       "cifs",      "smb3",     "smbfs",      "ncpfs",
    "afs",     "ceph",       "glusterfs", "sshfs",    "fuse.sshfs", "davfs",
    "autofs",  "proc",       "sysfs",     "devtmpfs", "devpts",     "cgroup",
    "cgroup2", "securityfs", "debugfs",   "tracefs",  "pstore",     "bpf",
    "mqueue",  "hugetlbfs",  "configfs",  "fusectl",  "binfmt_misc"};

}  // namespace

std::string notes_folder_below(std::string_view root, char separator) {
  std::string folder(root);
  for (const std::string_view name : notes_folders) folder.append(1, separator).append(name);
  return folder;
}

std::vector<std::string> cards_among(const std::vector<Mount>& mounts, char separator) {
  std::vector<std::string> cards;
  for (const Mount& mount : mounts) {
    if (std::ranges::find(passed_over_types, mount.type) != passed_over_types.end()) continue;
    const std::string root = mount.point == std::string(1, separator) ? "" : mount.point;
    if (std::ranges::find(cards, mount.point) == cards.end() &&
        is_folder(notes_folder_below(root, separator)))
      cards.push_back(mount.point);
  }
  return cards;
}
