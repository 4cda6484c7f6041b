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
// Of the mounts outside the places where cards are mounted (a container's
// or systemd's own tmpfs and overlays), at most this many are looked at,
// the last mounted first; those in card places always are.
constexpr std::size_t max_other_looks = 64;
constexpr std::array<std::string_view, 4> card_places = {"/media/", "/run/media/", "/mnt/",
                                                         "/Volumes/"};

// Mount points that did not answer in time: in this run they are not looked
// at again, so that nothing more waits on them.
std::vector<std::string>& silent_mounts() {
  static std::vector<std::string> points;
  return points;
}

template <typename List, typename Item>
bool contains(const List& list, const Item& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool in_card_place(std::string_view point) {
  return std::any_of(card_places.begin(), card_places.end(),
                     [point](std::string_view place) { return point.starts_with(place); });
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

unsigned long long time_left_ms(unsigned long long now, unsigned long long deadline) {
  return now < deadline ? deadline - now : 0;
}

bool may_hold_card(const Mount& mount) {
  if (mount.type.empty()) return true;  // a drive the host chose already
  if (contains(card_file_systems, mount.type)) return true;
  return is_windows_drive_mount(mount.point) && contains(windows_drive_file_systems, mount.type);
}

std::vector<std::string> cards_among(const std::vector<Mount>& mounts, char separator) {
  std::vector<std::string> points;
  std::vector<std::string> folders;
  std::size_t others = 0;
  // Cards are mounted last: from the end of the table.
  for (auto mount = mounts.rbegin(); mount != mounts.rend(); ++mount) {
    if (!may_hold_card(*mount) || contains(points, mount->point) ||
        contains(silent_mounts(), mount->point))
      continue;
    if (!in_card_place(mount->point) && ++others > max_other_looks) continue;
    points.push_back(mount->point);
    const bool root = mount->point == std::string(1, separator);
    folders.push_back(notes_folder_below(root ? "" : mount->point, separator));
  }
  // Offered in the table's order.
  std::reverse(points.begin(), points.end());
  std::reverse(folders.begin(), folders.end());
  const std::vector<FolderLook> looks = look_at_folders(folders, look_time_ms);
  // One card at several mount points is one card, named by the shortest.
  std::vector<std::string> cards;
  std::vector<FolderId> ids;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!looks[i].answered) silent_mounts().push_back(points[i]);
    if (!looks[i].id) continue;
    const auto same = std::find(ids.begin(), ids.end(), *looks[i].id);
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

bool holds_notes_folder(const std::string& card, char separator) {
  const std::vector<FolderLook> look = look_at_folders(
      {notes_folder_below(card == std::string(1, separator) ? "" : card, separator)}, look_time_ms);
  return look.front().answered && look.front().id.has_value();
}
