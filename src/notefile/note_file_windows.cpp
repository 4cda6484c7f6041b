// Writing a note on Windows: a temporary file in the notes folder, flushed,
// then moved over the note, so a failure never costs the old note.
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

// The path's bytes read in the ANSI code page, as the C runtime's fopen does,
// so that 8-bit titles name the same file they always have.
std::wstring widen(const std::string& path) {
  if (path.empty()) return L"";
  const int size =
      MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
  return std::wstring(long_path_prefix) + wide;
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
  const std::string folder = path.substr(0, path.rfind('\\') + 1);
  std::wstring temporary;
  UniqueHandle file(create_temporary(folder, temporary));
  if (file.handle == INVALID_HANDLE_VALUE) return false;

  const bool written =
      write_all(file.handle, note_contents(draft)) && FlushFileBuffers(file.handle) != 0;
  const bool closed = file.close_now();
  if (!written || !closed ||
      MoveFileExW(temporary.c_str(), widen(path).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}
