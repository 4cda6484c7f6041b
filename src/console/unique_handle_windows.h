#pragma once

// A Windows handle, closed when it goes out of scope.
#include <windows.h>

struct UniqueHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  explicit UniqueHandle(HANDLE h) : handle(h == nullptr ? INVALID_HANDLE_VALUE : h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  // Closes now, so that its result can be checked.
  bool close_now() {
    const BOOL closed = CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return closed != 0;
  }
};
