#pragma once

// A file descriptor, closed when it goes out of scope.
#include <unistd.h>

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
