// Writing a note on POSIX hosts: a temporary file in the notes folder, synced,
// then renamed over the note, so that the card holds the old note or the
// whole new one, never a mixture.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "console/unique_fd_posix.h"
#include "note_draft.h"
#include "notefile/notefile.h"
#include "notefile/text_file.h"

namespace {

bool write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// Creates a new temporary file in the folder; its name goes to name.
int create_temporary(int folder, std::string& name) {
  for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
    name = temporary_name(static_cast<unsigned long>(getpid()), attempt);
    const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// fsync stops at the drive's cache on macOS; F_FULLFSYNC goes to the medium.
// Only a file system that does not take the call falls back to fsync: after
// an I/O error fsync may well succeed, and the note still not be there.
bool sync_to_medium(int fd) {
#ifdef F_FULLFSYNC
  if (fcntl(fd, F_FULLFSYNC) == 0) return true;
  if (errno != ENOTSUP && errno != ENOTTY && errno != EINVAL) return false;
#endif
  return fsync(fd) == 0;
}

// A folder's sync makes the rename itself durable. File systems that cannot
// sync a folder say EINVAL; the rename there is as durable as they allow.
bool sync_folder(int folder) {
  return sync_to_medium(folder) || errno == EINVAL;
}

// The test suite may have the card refuse the name, as a FAT driver does.
int rename_in(int folder, const std::string& from, const std::string& to) {
  if (refused_by_test(to)) {
    errno = EINVAL;
    return -1;
  }
  return renameat(folder, from.c_str(), folder, to.c_str());
}

// A regular file's bytes, at most limit of them; nothing when it cannot be
// read or is longer (EFBIG), with why in error. Non-blocking: a FIFO or a
// device named by mistake never holds the run.
std::optional<std::string> read_regular_file(const std::string& path, std::size_t limit,
                                             int& error) {
  constexpr std::size_t read_size = 4096;
  const UniqueFd file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status = {};
  error = file.fd < 0 || fstat(file.fd, &status) != 0 ? errno : 0;
  if (error == 0 && !S_ISREG(status.st_mode)) error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
  std::string bytes;
  std::array<char, read_size> buffer{};
  while (error == 0 && bytes.size() <= limit) {
    const ssize_t got = read(file.fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    bytes.append(buffer.data(), static_cast<std::size_t>(got));
  }
  if (error == 0 && bytes.size() > limit) error = EFBIG;
  if (error != 0) return std::nullopt;
  return bytes;
}

// What a failed call at a step says about the card.
SaveResult failure(const NotePath& path, int error, SaveStep step) {
  return save_failure(path, posix_save_fault(error, step), '/', std::strerror(error));
}

}  // namespace

SaveFault posix_save_fault(int error, SaveStep step) {
  // Where the user's name is given: the folder's own refusals come sooner.
  const bool naming = step == SaveStep::rename || step == SaveStep::rename_new;
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return SaveFault::no_notes_folder;  // or no card: which, a look tells
    case EROFS:
      return SaveFault::read_only;
    case EPERM:  // a sticky folder holding another user's note, an immutable file;
                 // but where no note stands in the way, a FUSE FAT driver refusing the name
      return step == SaveStep::rename_new ? SaveFault::name_refused : SaveFault::not_permitted;
    case EACCES:
      return SaveFault::not_permitted;
    case EINVAL:  // Linux's FAT and exFAT drivers refuse a name they cannot store so
    case EILSEQ:
      return naming ? SaveFault::name_refused : SaveFault::other;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // past the file size a user may write: no more room for them
      return SaveFault::full;
    case ENAMETOOLONG:
      // The path was bounded before: at the rename, the name is too long for the card.
      return naming ? SaveFault::name_refused : SaveFault::path_too_long;
    default:
      return SaveFault::other;
  }
}

bool note_exists(const NotePath& path) {
  struct stat status = {};
  return lstat(path.text.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

std::string full_note_path(const NotePath& path) {
  if (path.text.starts_with('/')) return path.text;
  std::array<char, max_posix_path_length + 1> here{};
  if (getcwd(here.data(), here.size()) == nullptr) return path.text;
  return std::string(here.data()) + "/" + path.text;
}

std::string card_spelling(const NotePath& path) {
  std::filesystem::path card = path.card.empty() ? "/" : path.card;
  if (card.is_relative()) {
    std::error_code failed;
    const std::filesystem::path here = std::filesystem::current_path(failed);
    if (!failed) card = here / card;
  }
  std::string spelled = card.lexically_normal().string();
  while (spelled.size() > 1 && spelled.ends_with('/')) spelled.pop_back();
  return spelled;
}

bool is_folder(const std::string& path) {
  struct stat status = {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

SaveResult write_note_file(const NotePath& path, const NoteDraft& draft) {
  const std::string name = path.text.substr(path.folder.size());
  const UniqueFd folder(open(path.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.fd < 0) return failure(path, errno, SaveStep::open_folder);
  // Held until the last sync: a Ctrl-C before it would leave the temporary
  // file behind, or a renamed entry not yet on the card.
  const InterruptsHeld held;
  std::string temporary;
  UniqueFd file(create_temporary(folder.fd, temporary));
  if (file.fd < 0) return failure(path, errno, SaveStep::create);
  if (!write_all(file.fd, note_contents(draft)) || !sync_to_medium(file.fd)) {
    const int error = errno;
    unlinkat(folder.fd, temporary.c_str(), 0);
    return failure(path, error, SaveStep::write);
  }
  // Linux's vfat frees a replaced file's clusters only at its last close, so
  // holding the old note open keeps its clusters while its entry may still
  // name them on the card. Non-blocking: the name may be a FIFO.
  UniqueFd old_note(openat(folder.fd, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  const bool new_note = old_note.fd < 0 && errno == ENOENT;
  if (rename_in(folder.fd, temporary, name) != 0) {
    const int error = errno;
    unlinkat(folder.fd, temporary.c_str(), 0);
    return failure(path, error, new_note ? SaveStep::rename_new : SaveStep::rename);
  }
  bool synced = false;
  if (old_note.fd < 0) {
    // A new note: FAT keeps a file's clusters in its folder entry, and the
    // driver writes the renamed entry only with the file, so the file first.
    synced = sync_to_medium(file.fd) && sync_folder(folder.fd) && file.close_now();
  } else {
    // Replacing: the folder first, so the temporary entries are gone before
    // the note's entry names the new clusters (no two entries ever share
    // them); then the note; then, once the old clusters are freed at the
    // close, the folder again, so that the card is whole before "Done!".
    synced = sync_folder(folder.fd) && sync_to_medium(file.fd) && old_note.close_now() &&
             sync_folder(folder.fd) && file.close_now();
  }
  return synced ? SaveResult{} : failure(path, errno, SaveStep::sync);
}

TextFile read_text_file(const std::string& path) {
  // Line breaks and UTF-16 may take the bytes past the bound: past four
  // times it, the note is too long whatever they are, and the rest is not read.
  constexpr std::size_t most = 4 * max_answer_length;
  TextFile file;
  int error = 0;
  const std::optional<std::string> bytes = read_regular_file(path, most, error);
  if (bytes) file = note_of_file_bytes(*bytes, false);
  if (error == EFBIG) file.fault = TextFile::Fault::too_long;
  if (!bytes && error != EFBIG) {
    file.fault = TextFile::Fault::unreadable;
    file.why = std::strerror(error);
  }
  file.title = title_of_file_name(path, false);
  return file;
}

std::vector<std::string> notes_in_folder(const std::string& folder) {
  std::vector<std::string> titles;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return titles;
  for (const dirent* entry; (entry = readdir(listing)) != nullptr;) {
    const std::string_view name = entry->d_name;
    struct stat status = {};
    if (name.size() > note_extension.size() && name.ends_with(note_extension) &&
        !name.starts_with('.') && fstatat(dirfd(listing), entry->d_name, &status, 0) == 0 &&
        S_ISREG(status.st_mode))
      titles.emplace_back(name.substr(0, name.size() - note_extension.size()));
  }
  closedir(listing);
  std::sort(titles.begin(), titles.end());
  return titles;
}

std::optional<std::string> read_note(const NotePath& path, std::size_t limit, std::string& why) {
  int error = 0;
  std::optional<std::string> bytes = read_regular_file(path.text, limit, error);
  if (!bytes) why = std::strerror(error);
  return bytes;
}

bool remove_note(const NotePath& path) {
  return unlink(path.text.c_str()) == 0;
}
