#pragma once

// A program run on a new pseudo-terminal, as a shell runs a job, with keys
// typed as text appears: natively, or the Windows build under Wine, whose
// console then draws on the terminal.
#include <string>
#include <vector>

// What the shell of run_on_terminal shows when the program stops, and as it
// continues it as bg or fg would.
inline const std::string STOPPED = "<stopped>";
inline const std::string BG = "<bg>";
inline const std::string FG = "<fg>";

// Keys typed once some text has appeared ("" for at once). Keys that start
// with "@run " are a command for sh instead, run there and waited for (a
// person at another window).
struct Typing {
  std::string after;
  std::string keys;
};

struct PtyRun {
  bool started = false;
  std::string output;  // what the terminal got; with screen_only, the text alone
  std::string raw;     // what the terminal got
  int wait_status = 0;
};

// How the job is started and what its shell does.
struct Job {
  bool in_background = false;            // started with &
  std::string continue_as;               // at each stop, 'b' continues it as bg would; else as fg
  std::vector<std::string> environment;  // NAME=value, set for the program
  std::vector<std::string> arguments;    // the program's
  bool shows_leftover = false;           // once it ends, the shell shows what input is left
  std::vector<int> ignored;              // signals ignored by whoever started it
  // A console that draws the screen itself (Wine's): the terminal is raw,
  // and the text is read without the escapes that draw it.
  bool screen_only = false;
  int quiet_seconds = 30;  // a program silent this long has hung
};

// Runs program on a new pseudo-terminal, with echo off so that only the
// program's own output comes back, typing each step's keys once its text
// has appeared.
PtyRun run_on_terminal(const char* program, std::vector<Typing> typing, const Job& job = {});

// A negative status is the signal that ended the run.
bool exited_with(int wait_status, int status);

// Text without the escape sequences that position, colour and show it.
std::string without_escapes(const std::string& output);
