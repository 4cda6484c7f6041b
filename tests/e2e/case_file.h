#pragma once

// An end-to-end case: what is typed, what the program must print and exit
// with, and what the card must hold afterwards.
#include <map>
#include <optional>
#include <string>
#include <vector>

struct NoteFile {
  std::string name;
  std::string bytes;
};

struct Case {
  std::string program;            // "fr" or "en"
  std::vector<std::string> args;  // the program's arguments
  std::string input;              // may hold @CARD@ (the drive answer for the card)
  std::string expected_stdout;    // may hold @VERSION@ (the project's version), @CARD@, @OTHER@
                                  // (another card), @EXAMPLE@ (the hint's example answer)
                                  // @NOTES@, and natively @WORK@ (where it runs)
  std::string expected_stderr;    // may hold @NOTES@ (the notes folder as shown), and @CARD@
  int expected_status = 0;
  std::string card = "folders";                // how the card is laid out before the run
  std::vector<NoteFile> before;                // notes on the card before the run
  std::vector<NoteFile> files;                 // files where it runs, for its arguments
  std::optional<std::vector<NoteFile>> after;  // the notes folder after; unset: unchanged
  std::string host = "any";                    // "any", "native" or "windows"
  std::string locale = "C.UTF-8";              // natively, LC_ALL
  std::string input_file;                      // standard input read from this file instead
  bool full_card = false;                      // every write fails as on a full card (native only)
  bool output_closed = false;                  // standard output's reader is gone from the start
  bool output_full = false;                    // standard output is /dev/full
  // Natively, the card is a mount point of the run's own (root only): "yes";
  // "crowded" mounts it at a longer point too, another card before it, and
  // two FUSE mounts that never answer (one of a FAT driver's type);
  // "beside-read-only" mounts another card before it, read-only, that holds
  // the same notes as this one ("another " before their bytes).
  std::string mounted;
  std::string refused_name;  // the card refuses this file name, as a FAT driver may
  bool serial = false;       // runs alone; under Wine its drive letter is made known, so that
                             // the card search finds it
  int min_ms = 0;            // the run may not end sooner (its pauses are real)
  int max_ms = 0;            // nor later, when set: a generous bound on what is not a pause
  std::string error;         // set when the file could not be read
};

// Reads a case file. Fields are "name: value"; a value goes on over following
// lines that start with a blank. Byte values are C-style quoted strings
// ("\n", "\t", "\r", "\\", "\"", "\xHH"), one after another, each maybe
// followed by *N to repeat it N times; "a" + "b" is one string.
Case read_case(const std::string& path);

// Shows bytes with escapes, by default one output line per line of text.
std::string show_bytes(const std::string& bytes, bool break_lines = true);
