// Writing a note on Windows: a temporary file in the notes folder, flushed,
// then renamed over the note through the handle that wrote it and flushed
// again, so that the card holds the old note or the whole new one, never a
// mixture.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "console/unique_handle_windows.h"
#include "note_draft.h"
#include "notefile/notefile.h"
#include "notefile/text_file.h"

namespace {

constexpr std::size_t max_write_chunk = std::size_t{1} << 20;  // well inside a DWORD
// Lets a title of up to 255 characters through, past the old 260-character limit.
constexpr std::wstring_view long_path_prefix = L"\\\\?\\";

// The folder is ASCII: a checked drive letter and fixed names.
std::wstring long_path(std::string_view folder, std::u16string_view name = {}) {
  std::wstring path(long_path_prefix);
  for (const char c : folder) path.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  path.append(name.begin(), name.end());
  return path;
}

bool write_all(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, max_write_chunk));
    if (WriteFile(file, bytes.data() + done, chunk, &put, nullptr) == 0 || put == 0) return false;
    done += put;
  }
  return true;
}

// Opened for deleting too, so that it can be renamed through its handle.
HANDLE create_temporary(const std::string& folder, std::wstring& name) {
  for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
    const std::string temporary = temporary_name(GetCurrentProcessId(), attempt);
    name = long_path(folder + temporary);
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Set only by the tests, which check the fallback's flushes: Wine always
// takes the rename by handle.
constexpr const wchar_t* refuse_rename_by_handle = L"NOTECREATOR_TEST_NO_RENAME_BY_HANDLE";

// Renames the open file over target, replacing a note there.
bool rename_by_handle(HANDLE file, const std::wstring& target) {
  if (GetEnvironmentVariableW(refuse_rename_by_handle, nullptr, 0) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  const std::size_t name_bytes = target.size() * sizeof(wchar_t);
  // The record ends in the name; its one declared character holds the NUL.
  std::vector<unsigned char> record(sizeof(FILE_RENAME_INFO) + name_bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(record.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(info->FileName, target.c_str(), name_bytes + sizeof(wchar_t));
  return SetFileInformationByHandle(file, FileRenameInfo, info,
                                    static_cast<DWORD>(record.size())) != 0;
}

// What a file system that cannot rename by handle answers.
bool rename_by_handle_unsupported(DWORD error) {
  return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_FUNCTION;
}

// Where the rename by handle is refused: move by name, then flush the note
// under its new name, sharing it with whoever holds it open.
bool move_and_flush(const std::wstring& temporary, const std::wstring& note) {
  if (MoveFileExW(temporary.c_str(), note.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    return false;
  }
  const UniqueHandle placed(CreateFileW(note.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return placed.handle != INVALID_HANDLE_VALUE && FlushFileBuffers(placed.handle) != 0;
}

// The system's own words for an error, without their final line break, in
// the code page the output is shown in.
std::string system_message(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (length > 0) message = narrow(std::wstring_view(text, length), output_code_page());
  LocalFree(text);
  if (message.empty()) return "error " + std::to_string(error);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

// A file's bytes on a disk, at most limit of them; nothing when it cannot be
// read or is longer (ERROR_FILE_TOO_LARGE), with why in error.
std::optional<std::string> read_disk_file(const std::wstring& path, std::size_t limit,
                                          DWORD& error) {
  constexpr std::size_t read_size = 4096;
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  error = file.handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (error == 0 && GetFileType(file.handle) != FILE_TYPE_DISK) error = ERROR_INVALID_FUNCTION;
  std::string bytes;
  std::array<char, read_size> buffer{};
  DWORD got = 0;
  while (error == 0 && bytes.size() <= limit &&
         ReadFile(file.handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) !=
             0 &&
         got > 0)
    bytes.append(buffer.data(), got);
  if (error == 0 && bytes.size() > limit) error = ERROR_FILE_TOO_LARGE;
  if (error != 0) return std::nullopt;
  return bytes;
}

// What a failed call at a step says about the card.
SaveResult failure(const NotePath& path, DWORD error, SaveStep step) {
  const DWORD target = step == SaveStep::rename
                           ? GetFileAttributesW(long_path(path.folder, path.windows_name).c_str())
                           : INVALID_FILE_ATTRIBUTES;
  return save_failure(path, windows_save_fault(error, step, target), '\\', system_message(error));
}

}  // namespace

SaveFault windows_save_fault(unsigned long error, SaveStep step, unsigned long target_attributes) {
  const bool naming = step == SaveStep::rename;
  const bool target_exists = target_attributes != INVALID_FILE_ATTRIBUTES;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
      return SaveFault::no_notes_folder;  // or no card: which, a look tells
    case ERROR_WRITE_PROTECT:
      return SaveFault::read_only;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return SaveFault::note_in_use;
    case ERROR_ACCESS_DENIED:
      // A replace refused: by a folder in the way, or by the old note held
      // open; a read-only note is the user's to unlock.
      if (naming && target_exists && (target_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return SaveFault::note_is_folder;
      if (naming && target_exists && (target_attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return SaveFault::note_in_use;
      return SaveFault::not_permitted;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
      return naming ? SaveFault::name_refused : SaveFault::other;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return SaveFault::full;
    case ERROR_FILENAME_EXCED_RANGE:
      return naming ? SaveFault::name_refused : SaveFault::path_too_long;
    default:
      return SaveFault::other;
  }
}

bool note_exists(const NotePath& path) {
  const DWORD attributes = GetFileAttributesW(long_path(path.folder, path.windows_name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A drive letter's path is whole already.
std::string full_note_path(const NotePath& path) {
  return path.text;
}

std::string card_spelling(const NotePath& path) {
  if (const std::optional<char> letter = named_drive_letter(path.card))
    return {static_cast<char>(std::toupper(static_cast<unsigned char>(*letter))), ':'};
  return path.card;
}

bool is_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

SaveResult write_note_file(const NotePath& path, const NoteDraft& draft) {
  const std::wstring note = long_path(path.folder, path.windows_name);
  // Held until the note's last flush: a Ctrl-C before it would leave the
  // temporary file behind, or a renamed entry not yet on the card.
  const InterruptsHeld held;
  std::wstring temporary;
  UniqueHandle file(create_temporary(path.folder, temporary));
  if (file.handle == INVALID_HANDLE_VALUE) return failure(path, GetLastError(), SaveStep::create);
  if (!write_all(file.handle, note_contents(draft)) || FlushFileBuffers(file.handle) == 0) {
    const DWORD error = GetLastError();
    file.close_now();
    DeleteFileW(temporary.c_str());
    return failure(path, error, SaveStep::write);
  }
  // The test suite may have the card refuse the name, as a FAT driver does.
  if (refused_by_test(path.text.substr(path.folder.size()))) {
    file.close_now();
    DeleteFileW(temporary.c_str());
    return failure(path, ERROR_INVALID_NAME, SaveStep::rename);
  }
  // The entry changed with the rename: flush the same handle again.
  if (rename_by_handle(file.handle, note)) {
    if (FlushFileBuffers(file.handle) != 0 && file.close_now()) return {};
    return failure(path, GetLastError(), SaveStep::sync);
  }
  const DWORD error = GetLastError();
  const bool closed = file.close_now();
  if (!rename_by_handle_unsupported(error) || !closed) {
    DeleteFileW(temporary.c_str());
    return failure(path, error, SaveStep::rename);
  }
  if (!move_and_flush(temporary, note)) return failure(path, GetLastError(), SaveStep::rename);
  return {};
}

TextFile read_text_file(const std::string& path) {
  // Line breaks and UTF-16 may take the bytes past the bound: past four
  // times it, the note is too long whatever they are, and the rest is not read.
  constexpr std::size_t most = 4 * max_answer_length;
  TextFile file;
  // The arguments arrive in the ANSI code page, the title in the console's.
  const std::string title =
      narrow(widen(title_of_file_name(path, true), CP_ACP), title_code_page());
  DWORD error = 0;
  const std::optional<std::string> bytes = read_disk_file(widen(path, CP_ACP), most, error);
  if (bytes) file = note_of_file_bytes(*bytes, true);
  if (error == ERROR_FILE_TOO_LARGE) file.fault = TextFile::Fault::too_long;
  if (!bytes && error != ERROR_FILE_TOO_LARGE) {
    file.fault = TextFile::Fault::unreadable;
    file.why = system_message(error);
  }
  file.title = title;
  if (file.fault != TextFile::Fault::none) return file;
  // UTF-8, else ANSI, as Notepad reads it, in the console's code page.
  std::string refused;
  const std::optional<std::string> note = encode_code_page(file.text, title_code_page(), refused);
  if (!note) file.fault = TextFile::Fault::not_text;
  if (note) file.text = *note;
  if (note && note->size() > max_answer_length) file.fault = TextFile::Fault::too_long;
  return file;
}

std::vector<std::string> notes_in_folder(const std::string& folder) {
  std::vector<std::string> titles;
  WIN32_FIND_DATAW found = {};
  const HANDLE search = FindFirstFileW((long_path(folder) + L"*.txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return titles;
  do {
    const std::wstring_view name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        name.size() > note_extension.size())
      titles.push_back(
          narrow(name.substr(0, name.size() - note_extension.size()), title_code_page()));
  } while (FindNextFileW(search, &found) != 0);
  FindClose(search);
  std::sort(titles.begin(), titles.end());
  return titles;
}

std::optional<std::string> read_note(const NotePath& path, std::size_t limit, std::string& why) {
  DWORD error = 0;
  std::optional<std::string> bytes =
      read_disk_file(long_path(path.folder, path.windows_name), limit, error);
  if (!bytes) why = system_message(error);
  return bytes;
}

bool remove_note(const NotePath& path) {
  return DeleteFileW(long_path(path.folder, path.windows_name).c_str()) != 0;
}
