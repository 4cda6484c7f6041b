// The editor on POSIX hosts: run through the shell, as VISUAL and EDITOR
// have always been, so that "code --wait" or "nano -w" work as written.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "console/editor.h"
#include "console/unique_fd_posix.h"

namespace {

// Debian's editor names the one its user chose; it is run as that program,
// and called by that program's name.
constexpr std::array<std::string_view, 3> host_editors = {"editor", "nano", "vi"};
constexpr int exit_not_found = 127;
constexpr int exit_not_executable = 126;
constexpr std::size_t read_size = 4096;
// Past this a title makes a name too long for most file systems: shortened.
constexpr std::size_t max_draft_stem = 200;
constexpr mode_t private_folder = 0700;

// The signals a shell's system() lets the command take alone: Ctrl-C and
// Ctrl-\ in the editor are the editor's.
constexpr std::array<int, 2> editor_signals = {SIGINT, SIGQUIT};

std::string environment_value(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The first folder of PATH that holds the program as an executable file.
std::string find_on_path(std::string_view program) {
  std::string folders = environment_value("PATH");
  if (folders.empty()) folders = "/usr/bin:/bin";
  for (std::string_view path = folders; !path.empty();) {
    const std::size_t end = path.find(':');
    std::string folder(path.substr(0, end));
    path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
    std::string candidate = (folder.empty() ? "." : folder) + "/" + std::string(program);
    struct stat status = {};
    if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

std::string temporary_folder() {
  const std::string folder = environment_value("TMPDIR");
  return folder.empty() ? "/tmp" : folder;
}

// $XDG_STATE_HOME/notecreator/drafts (a relative one ignored, as the XDG
// rules say), made as the user's alone; the temporary folder when it
// cannot be made.
std::string drafts_folder() {
  std::string state = environment_value("XDG_STATE_HOME");
  if (!state.starts_with('/')) {
    const std::string home = environment_value("HOME");
    if (!home.starts_with('/')) return temporary_folder();
    state = home + "/.local/state";
  }
  std::string folder;
  for (const std::string_view part : {state, std::string("notecreator/drafts")}) {
    for (std::size_t at = 0; at != std::string_view::npos;) {
      const std::size_t end = part.find('/', at + 1);
      folder += part.substr(at, end - at);
      struct stat status = {};
      if (!folder.empty() && mkdir(folder.c_str(), private_folder) != 0 &&
          (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)))
        return temporary_folder();
      at = end;
    }
    folder += '/';
  }
  folder.pop_back();
  return access(folder.c_str(), W_OK | X_OK) == 0 ? folder : temporary_folder();
}

// The locks of runs that ended without letting go (killed): the user's own
// that no run holds go, so that none stays for a title never typed again.
void remove_unheld_locks(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  for (const dirent* entry; (entry = readdir(listing)) != nullptr;) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with('.') || !name.ends_with(".lock")) continue;
    const std::string path = folder + "/" + std::string(name);
    const UniqueFd lock(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held = {};
    struct stat named = {};
    if (lock.fd >= 0 && fstat(lock.fd, &held) == 0 && S_ISREG(held.st_mode) &&
        held.st_uid == getuid() && flock(lock.fd, LOCK_EX | LOCK_NB) == 0 &&
        lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
        named.st_dev == held.st_dev)
      unlink(path.c_str());
  }
  closedir(listing);
}

}  // namespace

std::optional<Editor> choose_editor() {
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    const std::string command = environment_value(variable);
    if (!command.empty()) return Editor{command, editor_name(command), false};
  }
  for (const std::string_view program : host_editors) {
    std::string found = find_on_path(program);
    if (found.empty()) continue;
    if (char* target = realpath(found.c_str(), nullptr); target != nullptr) {
      found = target;
      std::free(target);  // NOLINT(cppcoreguidelines-no-malloc): realpath's own allocation
    }
    if (found.find('\'') == std::string::npos)
      return Editor{"'" + found + "'", editor_name(found), true};
  }
  return std::nullopt;
}

// Holds a draft's name for this run with a lock on a file beside it, which
// goes with the lock; a run that ended without letting go leaves a file no
// one holds, taken again.
NameClaim claim_draft_name(const std::string& folder, const std::string& name,
                           std::shared_ptr<void>& claim) {
  const std::string lock_path = folder + "." + name + ".lock";
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    // Another user's, in a shared temporary folder: that name is theirs,
    // even to root, who may open it.
    if (fd < 0) return errno == EACCES || errno == ELOOP ? NameClaim::taken : NameClaim::failed;
    struct stat owner = {};
    if (fstat(fd, &owner) != 0 || owner.st_uid != getuid()) {
      close(fd);
      return NameClaim::taken;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return errno == EWOULDBLOCK ? NameClaim::taken : NameClaim::failed;
    }
    // Locked, but maybe a file its holder removed as it let go: then again.
    struct stat held = {};
    struct stat named = {};
    if (fstat(fd, &held) == 0 && lstat(lock_path.c_str(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      set_signal_leftovers(lock_path, folder + name);
      claim = std::shared_ptr<void>(nullptr, [fd, lock_path](void*) {
        set_signal_leftovers({}, {});
        unlink(lock_path.c_str());
        close(fd);
      });
      return NameClaim::held;
    }
    close(fd);
  }
  return NameClaim::taken;
}

std::optional<std::string> drafts_folder_path() {
  std::string folder = drafts_folder();
  remove_unheld_locks(folder);
  return folder + "/";
}

std::optional<std::string> draft_stem_in(std::string_view title, const std::string& /*folder*/) {
  return draft_stem(title, max_draft_stem);
}

NewDraft create_draft_file(const std::string& path) {
  const UniqueFd file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (file.fd >= 0) return NewDraft::made;
  return errno == EEXIST ? NewDraft::exists : NewDraft::failed;
}

LeftDraft left_draft(const std::string& path) {
  struct stat status = {};
  const bool own =
      lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == getuid();
  return {own, own && status.st_size > 0};
}

std::string shown_path(const std::string& path) {
  return path;
}

EditorEnd run_editor(Console& console, const Editor& editor, const Draft& draft) {
  hand_over_terminal(console);
  std::array<struct sigaction, editor_signals.size()> before{};
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  for (std::size_t i = 0; i < editor_signals.size(); ++i)
    sigaction(editor_signals.at(i), &ignore, &before.at(i));
  const std::string script = editor.command + " \"$@\"";
  const pid_t child = fork();
  if (child == 0) {
    // Those the program found ignored stay so in the editor too; the
    // program's own ignored SIGPIPE is not the editor's.
    for (std::size_t i = 0; i < editor_signals.size(); ++i)
      if (before.at(i).sa_handler != SIG_IGN) signal(editor_signals.at(i), SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
    execl("/bin/sh", "sh", "-c", script.c_str(), "sh", draft.path.c_str(),
          static_cast<char*>(nullptr));
    _exit(exit_not_found);
  }
  int status = 0;
  pid_t ended = child;
  if (child > 0)
    while ((ended = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
  for (std::size_t i = 0; i < editor_signals.size(); ++i)
    sigaction(editor_signals.at(i), &before.at(i), nullptr);
  take_back_terminal(console);
  if (child < 0 || ended < 0) return EditorEnd::not_started;
  if (!WIFEXITED(status)) return EditorEnd::failed;
  const int code = WEXITSTATUS(status);
  if (code == exit_not_found || code == exit_not_executable) return EditorEnd::not_started;
  return code == 0 ? EditorEnd::ended : EditorEnd::failed;
}

DraftNote read_draft(const Draft& draft, std::size_t max_length) {
  DraftNote note;
  const UniqueFd file(open(draft.path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.fd < 0) {
    note.unreadable = true;
    return note;
  }
  // Line breaks may double the bytes: past twice the bound, it is too long
  // whatever they are, and the rest is not read.
  const std::size_t most = 2 * max_length + 3;
  std::string bytes;
  std::array<char, read_size> buffer{};
  while (bytes.size() <= most) {
    const ssize_t got = read(file.fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) note.unreadable = true;
    if (got <= 0) break;
    bytes.append(buffer.data(), static_cast<std::size_t>(got));
  }
  note.text = note_from_draft(bytes);
  note.too_long = bytes.size() > most || note.text.size() > max_length;
  return note;
}

bool write_draft(const Draft& draft, std::string_view note) {
  UniqueFd file(open(draft.path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
  if (file.fd < 0) return false;
  bool written = true;
  while (written && !note.empty()) {
    const ssize_t put = write(file.fd, note.data(), note.size());
    if (put < 0 && errno == EINTR) continue;
    written = put > 0;
    if (written) note.remove_prefix(static_cast<std::size_t>(put));
  }
  return file.close_now() && written;
}

bool remove_draft(const Draft& draft) {
  return unlink(draft.path.c_str()) == 0 || errno == ENOENT;
}
