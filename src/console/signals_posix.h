#pragma once

// The signals whose default action ends the program: its handlers put the
// terminal back on them, and a child of its own takes them as they were.
#include <signal.h>

#include <array>

inline constexpr std::array<int, 4> exit_signals = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};
