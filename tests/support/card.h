#pragma once

// A memory card in a scratch folder, and what is on it.
#include <filesystem>
#include <map>
#include <string>

// Inline, so that it is ready before any other file's statics that use it.
inline const std::filesystem::path notes_below_root =
    std::filesystem::path("PSP") / "GAME" / "Velloran" / "notes";

// A new folder under the temporary directory, removed with everything in it
// when the Scratch goes, unless kept.
struct Scratch {
  std::filesystem::path path;
  bool keep = false;
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
};

void write_file(const std::filesystem::path& path, const std::string& bytes);
std::string read_file(const std::filesystem::path& path);

// Lays out a card at the path: "folders" (the notes folder exists), "empty",
// "absent", "notes-is-file", "note-is-folder" or "root-is-file". False for an unknown layout.
bool lay_out_card(const std::filesystem::path& card, const std::string& layout);

using Tree = std::map<std::string, std::string>;

// Every folder ("name/"), file (its bytes) and link below root.
Tree snapshot(const std::filesystem::path& root);

// A snapshot of a scratch folder whose card is its "card" folder, with the
// card's notes folder holding exactly these notes (name to bytes).
Tree with_notes(Tree tree, const std::map<std::string, std::string>& notes);
