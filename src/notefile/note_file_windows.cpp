// Writing a note on Windows: a temporary file in the notes folder, flushed,
// then moved over the note, so that the card holds the old note or the whole
// new one, never a mixture.
#include <windows.h>

#include <algorithm>
#include <string>

#include "notefile/notefile.h"

namespace {

constexpr std::size_t max_write_chunk = std::size_t{1} << 20;  // well inside a DWORD
// Lets a title of up to 255 bytes through, past the old 260-character limit.
constexpr std::wstring_view long_path_prefix = L"\\\\?\\";

// Closes its handle when it goes out of scope.
struct UniqueHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  explicit UniqueHandle(HANDLE h) : handle(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  bool close_now() {
    const BOOL closed = CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return closed != 0;
  }
};

// Titles typed at a console arrive in its input code page. Redirected ones
// are read in the ANSI code page, as the C runtime's fopen reads names, so
// that 8-bit titles name the same file they always have.
UINT title_code_page() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 ? GetConsoleCP() : CP_ACP;
}

std::wstring widen(const std::string& path) {
  if (path.empty()) return L"";
  const UINT code_page = title_code_page();
  const int length = static_cast<int>(path.size());
  const int size = MultiByteToWideChar(code_page, 0, path.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(code_page, 0, path.data(), length, wide.data(), size);
  return std::wstring(long_path_prefix) + wide;
}

std::string utf8(std::wstring_view wide) {
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

// The title's bytes were checked as Windows-1252 and UTF-8; a console's code
// page may spell the superscript digits of COM1 or LPT3 otherwise, so the
// decoded name is checked once more.
bool names_a_device(std::wstring_view path) {
  const std::wstring_view name = path.substr(path.rfind(L'\\') + 1);
  return is_windows_device_name(utf8(name.substr(0, name.find(L'.'))));
}

// Flushes the note under its final name: the move changed its folder entry.
bool flush_placed_note(const std::wstring& path) {
  const UniqueHandle note(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return note.handle != INVALID_HANDLE_VALUE && FlushFileBuffers(note.handle) != 0;
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

HANDLE create_temporary(const std::string& folder, std::wstring& name) {
  for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
    name = widen(folder + temporary_name(GetCurrentProcessId(), attempt));
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool write_note_file(const std::string& path, const NoteDraft& draft) {
  const std::wstring note = widen(path);
  if (names_a_device(note)) return false;
  const std::string folder = path.substr(0, path.rfind('\\') + 1);
  {
    // A Ctrl-C from here to the move would leave the temporary file behind.
    const InterruptsHeld held;
    std::wstring temporary;
    UniqueHandle file(create_temporary(folder, temporary));
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    const bool written =
        write_all(file.handle, note_contents(draft)) && FlushFileBuffers(file.handle) != 0;
    const bool closed = file.close_now();
    if (!written || !closed ||
        MoveFileExW(temporary.c_str(), note.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  return flush_placed_note(note);
}
