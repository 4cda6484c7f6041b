#include "card.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

Scratch::Scratch() {
  std::string name = (fs::temp_directory_path() / "notecreator-test-XXXXXX").string();
  if (mkdtemp(name.data())) path = name;
}

Scratch::~Scratch() {
  std::error_code ignored;
  if (!keep && !path.empty()) fs::remove_all(path, ignored);
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool lay_out_card(const fs::path& card, const std::string& layout) {
  const fs::path notes = card / notes_below_root;
  if (layout == "folders") {
    fs::create_directories(notes);
  } else if (layout == "empty") {
    fs::create_directories(card);
  } else if (layout == "notes-is-file") {
    fs::create_directories(notes.parent_path());
    write_file(notes, "");
  } else if (layout == "note-is-folder") {  // a folder where Courses.txt would go
    fs::create_directories(notes / "Courses.txt");
  } else if (layout == "root-is-file") {
    write_file(card, "");
  } else if (layout != "absent") {
    return false;
  }
  return true;
}

Tree snapshot(const fs::path& root) {
  Tree tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = fs::relative(it->path(), root).string();
    if (it->is_symlink())
      tree[name] = "link to " + fs::read_symlink(it->path()).string();
    else if (it->is_directory())
      tree[name + "/"] = "";
    else
      tree[name] = read_file(it->path());
  }
  return tree;
}

Tree with_notes(Tree tree, const std::map<std::string, std::string>& notes) {
  const std::string folder = (fs::path("card") / notes_below_root).string() + "/";
  std::erase_if(tree, [&](const auto& entry) {
    return entry.first.starts_with(folder) && entry.first != folder;
  });
  for (const auto& [name, bytes] : notes) tree[folder + name] = bytes;
  return tree;
}
