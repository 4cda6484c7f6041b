// Windows code pages, decoded by Windows itself.
#include <windows.h>

#include <string>

#include "notefile/notefile.h"

std::optional<std::u16string> decode_code_page(std::string_view bytes, unsigned code_page) {
  if (bytes.empty()) return std::u16string();
  const int length = static_cast<int>(bytes.size());
  // Refused, not replaced: two titles must never fall on one name.
  const int size =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(),
                          size) != size)
    return std::nullopt;
  return std::u16string(wide.begin(), wide.end());
}

// Titles typed at a console arrive in its input code page. Redirected ones
// are read in the ANSI code page, as the C runtime's fopen reads names, so
// that 8-bit titles name the same file they always have.
unsigned title_code_page() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 ? GetConsoleCP() : GetACP();
}

// The console shows text in its output code page; elsewhere (a file, a
// pipe) text is read as ANSI, as it is written to one.
unsigned output_code_page() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 ? GetConsoleOutputCP()
                                                                    : GetACP();
}
