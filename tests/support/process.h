#pragma once

// Runs a program as a child with its standard streams on pipes.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct RunOptions {
  std::vector<std::string> argv;
  std::filesystem::path work_dir;
  std::string input;           // written to its standard input, which is then closed
  std::string input_file;      // instead of input: standard input read from this file
  bool full_card = false;      // every write past byte 0 fails, as on a card with no room
  bool output_closed = false;  // its standard output's reader is gone before it starts
  bool output_full = false;    // its standard output is /dev/full: every write fails
  std::chrono::milliseconds deadline{60000};      // killed past this
  std::optional<std::chrono::milliseconds> kill;  // killed at this moment, on purpose
  std::vector<std::string> environment;           // NAME=value, added to its environment
  std::string peak_memory;  // the peak_memory program, to measure the run's memory
};

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;      // exit status, or -1 when it did not exit
  int term_signal = 0;  // the signal that ended it, if one did
  bool timed_out = false;
  std::string how_it_ended;
  std::chrono::milliseconds elapsed{};
  long max_rss_kib = 0;  // peak resident memory, when measured
};

Outcome run_program(const RunOptions& options);

// Runs them all, at_once of them side by side; the outcomes in the same order.
std::vector<Outcome> run_programs(const std::vector<RunOptions>& runs, std::size_t at_once = 16);
