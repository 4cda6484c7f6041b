// The drive letters on Windows: removable and fixed drives but A and B, with
// the "insert a disk" box turned off, so that an empty reader answers at once.
#include <windows.h>

#include "notefile/notefile.h"

std::vector<std::string> find_cards() {
  const UINT before = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const DWORD drives = GetLogicalDrives();
  std::vector<Mount> mounts;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if ((drives & (DWORD{1} << (letter - 'A'))) == 0) continue;
    const std::string root = std::string(1, letter) + ":\\";
    const UINT type = GetDriveTypeA(root.c_str());
    // CD drives and network shares may take long to answer, and never hold a card.
    if (type == DRIVE_REMOVABLE || type == DRIVE_FIXED) mounts.push_back({root.substr(0, 2), {}});
  }
  std::vector<std::string> cards = cards_among(mounts, '\\');
  SetErrorMode(before);
  return cards;
}
