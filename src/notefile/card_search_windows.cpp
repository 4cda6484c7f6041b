// The drive letters on Windows: removable and fixed drives but A and B, with
// the "insert a disk" box turned off, so that an empty reader answers at once.
#include <windows.h>

#include <memory>

#include "notefile/notefile.h"

namespace {

constexpr int dword_bits = 32;

// What a look's thread shares with the search, which may be over by the
// time the thread is done: then the thread keeps it.
struct ThreadLook {
  std::string folder;
  std::optional<FolderId> id;
};

DWORD WINAPI look(void* parameter) {
  auto* shared = static_cast<ThreadLook*>(parameter);
  shared->id = folder_identity(shared->folder);
  return 0;
}

}  // namespace

// Each look on a thread of its own: one stuck on a dying drive holds only
// that thread, which ends with the program.
std::vector<FolderLook> look_at_folders(const std::vector<std::string>& folders,
                                        unsigned milliseconds) {
  std::vector<FolderLook> looks(folders.size());
  std::vector<std::unique_ptr<ThreadLook>> shared;
  std::vector<HANDLE> threads;
  for (const std::string& folder : folders) {
    shared.push_back(std::make_unique<ThreadLook>(ThreadLook{folder, {}}));
    threads.push_back(CreateThread(nullptr, 0, look, shared.back().get(), 0, nullptr));
  }
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (threads[i] == nullptr) continue;
    const auto left = static_cast<DWORD>(time_left_ms(GetTickCount64(), deadline));
    if (WaitForSingleObject(threads[i], left) == WAIT_OBJECT_0)
      looks[i] = {true, shared[i]->id};
    else
      (void)shared[i].release();  // still the thread's, which may yet write it
    CloseHandle(threads[i]);
  }
  return looks;
}

std::optional<FolderId> folder_identity(const std::string& path) {
  // Each look runs on a thread of its own.
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
  // Backup semantics: the one way to open a folder.
  const HANDLE folder =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information = {};
  const bool known = GetFileInformationByHandle(folder, &information) != 0 &&
                     (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(folder);
  if (!known) return std::nullopt;
  return FolderId{information.dwVolumeSerialNumber,
                  (static_cast<unsigned long long>(information.nFileIndexHigh) << dword_bits) |
                      information.nFileIndexLow};
}

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
  SetErrorMode(before);
  return cards_among(mounts, '\\');
}

std::string card_answer_example(std::string_view /*someone*/) {
  return "E";
}
