// The editor on Windows: Notepad, unless VISUAL or EDITOR names another,
// which runs through the command processor so that editors installed as
// scripts (code --wait) start as they do at the prompt.
#include <windows.h>

#include <array>
#include <string>

#include "console/editor.h"
#include "notefile/notefile.h"

namespace {

constexpr int draft_names = 100;        // "title.txt", then "title (2).txt" and on
constexpr DWORD exit_not_found = 9009;  // the command processor's "not recognized"
constexpr std::size_t read_size = 4096;

std::wstring widen(std::string_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), size);
  return wide;
}

std::string narrow(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

std::wstring environment_value(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

// Closes its handle when it goes out of scope.
struct Handle {
  HANDLE handle;
  explicit Handle(HANDLE h) : handle(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) CloseHandle(handle);
  }
};

}  // namespace

std::optional<Editor> choose_editor() {
  for (const wchar_t* variable : {L"VISUAL", L"EDITOR"}) {
    const std::string command = narrow(environment_value(variable), CP_UTF8);
    if (!command.empty()) return Editor{command, editor_name(command), false};
  }
  return Editor{"notepad.exe", "Notepad", true};
}

std::optional<Draft> make_draft(std::string_view title) {
  std::array<wchar_t, MAX_PATH + 1> folder{};
  const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (length == 0 || length > folder.size()) return std::nullopt;
  const std::optional<std::u16string> decoded = decode_code_page(title, title_code_page());
  if (!decoded) return std::nullopt;
  const std::wstring stem(decoded->begin(), decoded->end());
  for (int number = 1; number <= draft_names; ++number) {
    const std::wstring path = std::wstring(folder.data(), length) + stem +
                              (number == 1 ? L"" : L" (" + std::to_wstring(number) + L")") +
                              L".txt";
    const Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
    if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
    return Draft{narrow(path, CP_UTF8), narrow(path, output_code_page())};
  }
  return std::nullopt;
}

EditorEnd run_editor(Console& console, const Editor& editor, const Draft& draft) {
  const std::wstring path = widen(draft.path, CP_UTF8);
  std::wstring line = editor.host_own ? widen(editor.command, CP_UTF8) + L" \"" + path + L"\""
                                      : L"cmd.exe /d /s /c \"" + widen(editor.command, CP_UTF8) +
                                            L" \"" + path + L"\"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  hand_over_terminal(console);
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  DWORD code = exit_not_found;
  if (started != 0) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  take_back_terminal(console);
  if (started == 0 || code == exit_not_found) return EditorEnd::not_started;
  return code == 0 ? EditorEnd::ended : EditorEnd::failed;
}

DraftNote read_draft(const Draft& draft, std::size_t max_length) {
  DraftNote note;
  const Handle file(CreateFileW(widen(draft.path, CP_UTF8).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) {
    note.unreadable = true;
    return note;
  }
  // Line breaks and UTF-8 may take the bytes past the bound: past four
  // times it, the note is too long whatever they are.
  const std::size_t most = 4 * max_length;
  std::string bytes;
  std::array<char, read_size> buffer{};
  DWORD got = 0;
  while (bytes.size() <= most &&
         ReadFile(file.handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) !=
             0 &&
         got > 0)
    bytes.append(buffer.data(), got);
  // What Notepad writes is UTF-8; a note holds the code page the title and
  // the comment arrive in.
  const std::optional<std::string> text =
      encode_code_page(note_from_draft(bytes), title_code_page(), note.refused);
  if (!text) return note;
  note.text = *text;
  note.too_long = bytes.size() > most || note.text.size() > max_length;
  return note;
}

bool write_draft(const Draft& draft, std::string_view note) {
  const Handle file(CreateFileW(widen(draft.path, CP_UTF8).c_str(), GENERIC_WRITE, 0, nullptr,
                                TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  return note.empty() || (WriteFile(file.handle, note.data(), static_cast<DWORD>(note.size()), &put,
                                    nullptr) != 0 &&
                          put == note.size());
}

bool remove_draft(const Draft& draft) {
  return DeleteFileW(widen(draft.path, CP_UTF8).c_str()) != 0 ||
         GetLastError() == ERROR_FILE_NOT_FOUND;
}
