// The editor on Windows: Notepad, unless VISUAL or EDITOR names another.
// The draft's path never passes through the command processor's expansion:
// a program is started directly, and an editor installed as a script
// (code --wait) gets the path through a variable, expanded once.
#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "console/code_page.h"
#include "console/editor.h"
#include "console/system_windows.h"
#include "console/unique_handle_windows.h"

namespace {

constexpr DWORD exit_not_found = 9009;  // the command processor's "not recognized"
constexpr std::size_t read_size = 4096;
constexpr const wchar_t* draft_variable = L"NOTECREATOR_DRAFT";
constexpr std::wstring_view default_program_extensions = L".COM;.EXE;.BAT;.CMD";
// " (100).txt": the longest end a draft's name takes; ".lock", its lock's.
constexpr std::size_t longest_name_end = 10;
constexpr std::size_t lock_end = 5;

std::wstring environment_value(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

bool is_file(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Where the command's program is, as the command processor finds it, but
// in PATH's folders alone, never the current one: "" when nowhere.
std::wstring find_program(const std::wstring& program) {
  std::wstring extensions = environment_value(L"PATHEXT");
  if (extensions.empty()) extensions = default_program_extensions;
  std::vector<std::wstring> tries = {program};
  for (std::wstring_view rest = extensions; !rest.empty();) {
    const std::size_t end = std::min(rest.find(L';'), rest.size());
    if (end > 0) tries.push_back(program + std::wstring(rest.substr(0, end)));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  if (program.find_first_of(L"\\/:") != std::wstring::npos) {
    for (const std::wstring& path : tries)
      if (is_file(path)) return path;
    return {};
  }
  const std::wstring folders = environment_value(L"PATH");
  for (std::wstring_view rest = folders; !rest.empty();) {
    const std::size_t end = std::min(rest.find(L';'), rest.size());
    std::wstring folder(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (folder.empty()) continue;
    if (!folder.ends_with(L'\\')) folder.push_back(L'\\');
    for (const std::wstring& name : tries)
      if (is_file(folder + name)) return folder + name;
  }
  return {};
}

bool ends_with_any_case(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() &&
         CompareStringOrdinal(text.data() + text.size() - end.size(), static_cast<int>(end.size()),
                              end.data(), static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring editor_command_line(std::wstring_view command, std::wstring_view draft,
                                 std::wstring_view command_processor) {
  if (command_processor.empty())
    return std::wstring(command) + L" \"" + std::wstring(draft) + L"\"";
  return L"\"" + std::wstring(command_processor) + L"\" /d /v:off /s /c \"" +
         std::wstring(command) + L" \"%" + draft_variable + L"%\"\"";
}

std::optional<Editor> choose_editor() {
  for (const wchar_t* variable : {L"VISUAL", L"EDITOR"}) {
    const std::string command = narrow(environment_value(variable), CP_UTF8);
    if (!command.empty()) return Editor{command, editor_name(command), false};
  }
  return Editor{"notepad", "Notepad", true};
}

namespace {

// %LOCALAPPDATA%\notecreator\drafts\, or the temporary folder when that
// cannot be made; empty when neither can.
std::wstring drafts_folder() {
  const std::wstring local = environment_value(L"LOCALAPPDATA");
  std::wstring folder = local;
  for (const wchar_t* part : {L"\\notecreator", L"\\drafts"}) {
    folder += part;
    if (local.empty() || (CreateDirectoryW(folder.c_str(), nullptr) == 0 &&
                          GetLastError() != ERROR_ALREADY_EXISTS)) {
      std::array<wchar_t, MAX_PATH + 1> temporary{};
      const DWORD length = GetTempPathW(static_cast<DWORD>(temporary.size()), temporary.data());
      if (length == 0 || length > temporary.size()) return {};
      return {temporary.data(), length};
    }
  }
  return folder + L"\\";
}

// Whether a file is another user's: its owner known, and not this user.
// A file system without owners (FAT) has none of another's.
bool owned_by_another(const std::wstring& path) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR security = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &security) != ERROR_SUCCESS)
    return false;
  const std::unique_ptr<void, decltype(&LocalFree)> held(security, &LocalFree);
  HANDLE token = nullptr;
  if (owner == nullptr || OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == 0)
    return false;
  const UniqueHandle token_held(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  if (size == 0 || GetTokenInformation(token, TokenUser, user.data(), size, &size) == 0)
    return false;
  return EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) == 0;
}

// The title as a draft's name, cut so that a path in a folder of that
// length fits MAX_PATH: between two characters, never in a surrogate pair.
std::optional<std::wstring> windows_draft_stem(std::string_view title, std::size_t folder_length) {
  const std::optional<std::u16string> decoded = decode_code_page(title, title_code_page());
  if (!decoded) return std::nullopt;
  std::wstring stem(decoded->begin(), decoded->end());
  const std::size_t room =
      MAX_PATH - 1 -
      std::min<std::size_t>(folder_length + longest_name_end + lock_end, MAX_PATH - 1);
  if (stem.size() > room) {
    const std::string digest = title_digest(title);
    stem.resize(room - std::min(room, digest.size()));
    if (!stem.empty() && IS_HIGH_SURROGATE(stem.back())) stem.pop_back();
    stem.append(digest.begin(), digest.end());
  }
  return stem;
}

}  // namespace

std::optional<std::string> drafts_folder_path() {
  const std::wstring folder = drafts_folder();
  if (folder.empty() || folder.size() >= MAX_PATH) return std::nullopt;
  return narrow(folder, CP_UTF8);
}

std::optional<std::string> draft_stem_in(std::string_view title, const std::string& folder) {
  const std::optional<std::wstring> stem = windows_draft_stem(title, widen(folder, CP_UTF8).size());
  if (!stem) return std::nullopt;
  return narrow(*stem, CP_UTF8);
}

NameClaim claim_draft_name(const std::string& folder, const std::string& name,
                           std::shared_ptr<void>& claim) {
  const std::wstring draft = widen(folder + name, CP_UTF8);
  HANDLE lock = CreateFileW((draft + L".lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  // Another run's, or another user's in a shared temporary folder.
  if (lock == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION || GetLastError() == ERROR_ACCESS_DENIED
               ? NameClaim::taken
               : NameClaim::failed;
  set_signal_leftovers({}, folder + name);
  claim = std::shared_ptr<void>(nullptr, [lock](void*) {
    set_signal_leftovers({}, {});
    CloseHandle(lock);
  });
  return NameClaim::held;
}

NewDraft create_draft_file(const std::string& path) {
  const UniqueHandle file(CreateFileW(widen(path, CP_UTF8).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle != INVALID_HANDLE_VALUE) return NewDraft::made;
  return GetLastError() == ERROR_FILE_EXISTS ? NewDraft::exists : NewDraft::failed;
}

LeftDraft left_draft(const std::string& path) {
  const std::wstring wide = widen(path, CP_UTF8);
  WIN32_FILE_ATTRIBUTE_DATA status = {};
  const bool own =
      GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &status) != 0 &&
      (status.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
      !owned_by_another(wide);
  return {own, own && (status.nFileSizeLow != 0 || status.nFileSizeHigh != 0)};
}

std::string shown_path(const std::string& path) {
  return narrow(widen(path, CP_UTF8), output_code_page());
}

EditorEnd run_editor(Console& console, const Editor& editor, const Draft& draft) {
  const std::wstring path = widen(draft.path, CP_UTF8);
  // A program is started as itself; anything else (a script) by the
  // command processor, with the draft's path in a variable of its own.
  // Found by its full path, and run by it: never a bare name, which the
  // command processor would look for in the current folder first.
  const std::string_view named = command_program(editor.command);
  const std::wstring found =
      editor.host_own ? system_program(L"notepad.exe") : find_program(widen(named, CP_UTF8));
  const bool direct = ends_with_any_case(found, L".exe") || ends_with_any_case(found, L".com");
  const std::wstring program = direct ? found : system_program(L"cmd.exe");
  if (found.empty() || program.empty()) return EditorEnd::not_started;
  // The command, its program by that path; its arguments as written.
  std::size_t rest = static_cast<std::size_t>(named.data() - editor.command.data()) + named.size();
  if (rest < editor.command.size() && editor.command[rest] == '"') ++rest;  // its closing quote
  const std::wstring quoted_found = L"\"" + found + L"\"";
  std::wstring line =
      editor.host_own
          ? editor_command_line(quoted_found, path, {})
          : editor_command_line(quoted_found + widen(editor.command.substr(rest), CP_UTF8), path,
                                direct ? L"" : program);
  SetEnvironmentVariableW(draft_variable, direct ? nullptr : path.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  hand_over_terminal(console);
  const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(draft_variable, nullptr);
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
  const UniqueHandle file(CreateFileW(widen(draft.path, CP_UTF8).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
  // Drafts are UTF-8, as Notepad and other editors read them.
  const std::string utf8 = narrow(widen(note, title_code_page()), CP_UTF8);
  const UniqueHandle file(CreateFileW(widen(draft.path, CP_UTF8).c_str(), GENERIC_WRITE, 0, nullptr,
                                      TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  return utf8.empty() || (WriteFile(file.handle, utf8.data(), static_cast<DWORD>(utf8.size()), &put,
                                    nullptr) != 0 &&
                          put == utf8.size());
}

bool remove_draft(const Draft& draft) {
  return DeleteFileW(widen(draft.path, CP_UTF8).c_str()) != 0 ||
         GetLastError() == ERROR_FILE_NOT_FOUND;
}
