#pragma once

// Windows' own programs, by their full path.
#include <string>
#include <string_view>

// A program of the system folder's (cmd.exe, notepad.exe): never one of
// the same name in the current folder, as a bare name would find first.
// Empty when the system folder is not known: nothing is to be started then.
std::wstring system_program(std::wstring_view name);
