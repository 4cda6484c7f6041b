// Finding the card: the mounts that may hold one, looked at side by side
// for a bounded time, so that a mount whose server never answers cannot hold
// the dialogue.
#include <algorithm>
#include <array>

#include "notefile/notefile.h"

namespace {

// Local file systems that can carry a memory card or a card image: the FAT
// family, exFAT, FUSE block devices, local disks and memory. Network file
// systems and other FUSE ones (whose server may never answer) are not here.
constexpr std::array<std::string_view, 25> card_file_systems = {
    "vfat",  "msdos", "fat",     "exfat", "fuseblk", "fuse.fusefat", "ext2",  "ext3",    "ext4",
    "btrfs", "xfs",   "f2fs",    "jfs",   "ntfs",    "ntfs3",        "hfs",   "hfsplus", "apfs",
    "ufs",   "udf",   "overlay", "tmpfs", "ramfs",   "zfs",          "nilfs2"};
// WSL's file systems for the Windows drives, taken only at /mnt/<letter>.
constexpr std::array<std::string_view, 2> windows_drive_file_systems = {"9p", "drvfs"};
constexpr std::string_view windows_drive_root = "/mnt/";

// No look may hold the user for longer than this, all looks together.
constexpr unsigned look_time_ms = 500;
// More mounts than a machine with cards has; past them, none is looked at.
constexpr std::size_t max_looks = 64;

// Mount points that did not answer in time: in this run they are not looked
// at again, so that nothing more waits on them.
std::vector<std::string>& silent_mounts() {
  static std::vector<std::string> points;
  return points;
}

bool is_windows_drive_mount(std::string_view point) {
  return point.size() == windows_drive_root.size() + 1 && point.starts_with(windows_drive_root) &&
         point.back() >= 'a' && point.back() <= 'z';
}

}  // namespace

std::string notes_folder_below(std::string_view root, char separator) {
  std::string folder(root);
  for (const std::string_view name : notes_folders) folder.append(1, separator).append(name);
  return folder;
}

bool may_hold_card(const Mount& mount) {
  if (mount.type.empty()) return true;  // a drive the host chose already
  if (std::ranges::find(card_file_systems, mount.type) != card_file_systems.end()) return true;
  return is_windows_drive_mount(mount.point) &&
         std::ranges::find(windows_drive_file_systems, mount.type) !=
             windows_drive_file_systems.end();
}

std::vector<std::string> cards_among(const std::vector<Mount>& mounts, char separator) {
  std::vector<std::string> points;
  std::vector<std::string> folders;
  for (const Mount& mount : mounts) {
    if (points.size() == max_looks || !may_hold_card(mount) ||
        std::ranges::find(points, mount.point) != points.end() ||
        std::ranges::find(silent_mounts(), mount.point) != silent_mounts().end())
      continue;
    points.push_back(mount.point);
    const bool root = mount.point == std::string(1, separator);
    folders.push_back(notes_folder_below(root ? "" : mount.point, separator));
  }
  const std::vector<FolderLook> looks = look_at_folders(folders, look_time_ms);
  // One card at several mount points is one card, named by the shortest.
  std::vector<std::string> cards;
  std::vector<FolderId> ids;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!looks[i].answered) silent_mounts().push_back(points[i]);
    if (!looks[i].id) continue;
    const auto same = std::ranges::find(ids, *looks[i].id);
    if (same == ids.end()) {
      ids.push_back(*looks[i].id);
      cards.push_back(points[i]);
    } else if (std::string& name = cards[static_cast<std::size_t>(same - ids.begin())];
               points[i].size() < name.size()) {
      name = points[i];
    }
  }
  return cards;
}
