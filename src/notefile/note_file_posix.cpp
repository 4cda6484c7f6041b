// Writing a note on POSIX hosts: a temporary file in the notes folder, synced,
// then renamed over the note, so a failure never costs the old note.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "notefile/notefile.h"

namespace {

// Closes its descriptor when it goes out of scope.
struct UniqueFd {
  int fd = -1;
  explicit UniqueFd(int descriptor) : fd(descriptor) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd >= 0) close(fd);
  }
  // Closes now, so that its result can be checked.
  bool close_now() {
    const int result = close(fd);
    fd = -1;
    return result == 0;
  }
};

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

// A folder's fsync makes the rename itself durable. File systems that cannot
// sync a folder say EINVAL; the rename there is as durable as they allow.
bool sync_folder(int folder) {
  return fsync(folder) == 0 || errno == EINVAL;
}

}  // namespace

bool write_note_file(const std::string& path, const NoteDraft& draft) {
  const auto slash = path.rfind('/');
  const std::string folder_path = slash == 0 ? "/" : path.substr(0, slash);
  const std::string name = path.substr(slash + 1);

  const UniqueFd folder(open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.fd < 0) return false;
  std::string temporary;
  UniqueFd file(create_temporary(folder.fd, temporary));
  if (file.fd < 0) return false;

  const bool written = write_all(file.fd, note_contents(draft)) && fsync(file.fd) == 0;
  const bool closed = file.close_now();
  if (!written || !closed || renameat(folder.fd, temporary.c_str(), folder.fd, name.c_str()) != 0) {
    unlinkat(folder.fd, temporary.c_str(), 0);
    return false;
  }
  return sync_folder(folder.fd);
}
