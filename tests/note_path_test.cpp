#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "console/code_page.h"
#include "console/editor.h"
#include "notefile/notefile.h"

namespace {

using namespace std::string_literals;

struct TitleCase {
  std::string title;
  bool safe;
};

TEST(IsSafeTitle, KeepsNotesInsideTheirFolderAndOffDevices) {
  const TitleCase cases[] = {
      {"Courses", true},
      {"Liste.de.courses", true},
      {"..", true},  // "...txt" is an ordinary name
      {"\xe9t\xe9", true},
      {"CONSOLE", true},
      {"COM0", true},
      {"COM10", true},
      {"xCON", true},
      {"a~b$c%d&e(f)[g]{h}", true},
      {"", false},
      {"../x", false},
      {"..\\x", false},
      {"a/b", false},
      {"a\\b", false},
      {"a:b", false},
      {"a*b", false},
      {"a?b", false},
      {"a\"b", false},
      {"a<b", false},
      {"a>b", false},
      {"a|b", false},
      {"a\x01z", false},
      {"a\x1f", false},
      {"a\x7f", false},
      {"a\0b"s, false},
      {"CON", false},
      {"con", false},
      {"Con.txt", false},
      {"NUL.x.y", false},
      {"PRN", false},
      {"aux", false},
      {"CONIN$", false},
      {"conout$.log", false},
      {"COM1", false},
      {"com9.txt", false},
      {"LPT1", false},
      {"lpt9", false},
      {"COM\xb9", false},  // superscripts, as Windows-1252 bytes
      {"LPT\xb2", false},
      {"com\xb3.txt", false},
      {"COM\xc2\xb9", false},  // and as UTF-8
      {"lpt\xc2\xb3.a", false},
      {"COM\xb4", true},  // an acute accent, no digit
      {"COM\xc2\xb9x", true},
      {std::string(251, 'a'), true},  // 255 bytes with ".txt"
      {std::string(252, 'a'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_safe_title(c.title), c.safe) << "title " << c.title;
}

struct PathCase {
  std::string drive;
  std::string title;
  std::string path;
  bool usable;
  unsigned code_page = 1252;  // the one the title was typed in, on Windows
};

TEST(WindowsNotePath, ComposesTheTemplateAndTakesOneLetterOnly) {
  const PathCase cases[] = {
      {"E", "Courses", "E:\\PSP\\GAME\\Velloran\\notes\\Courses.txt", true},
      {"e", "Courses", "e:\\PSP\\GAME\\Velloran\\notes\\Courses.txt", true},
      {"Z", "\xe9t\xe9", "Z:\\PSP\\GAME\\Velloran\\notes\\\xe9t\xe9.txt", true},
      // As Explorer shows a drive, and its root.
      {"E:", "Courses", "E:\\PSP\\GAME\\Velloran\\notes\\Courses.txt", true},
      {"e:\\", "Courses", "e:\\PSP\\GAME\\Velloran\\notes\\Courses.txt", true},
      {"E:/", "Courses", "E:\\PSP\\GAME\\Velloran\\notes\\Courses.txt", true},
      {"E::", "Courses", "E::\\PSP\\GAME\\Velloran\\notes\\Courses.txt", false},
      // Not a drive: shown as typed, with no colon added.
      {"E:\\x", "Courses", "E:\\x\\PSP\\GAME\\Velloran\\notes\\Courses.txt", false},
      {"EF", "Courses", "EF\\PSP\\GAME\\Velloran\\notes\\Courses.txt", false},
      {"1", "Courses", "1\\PSP\\GAME\\Velloran\\notes\\Courses.txt", false},
      {"\xc9", "Courses", "\xc9\\PSP\\GAME\\Velloran\\notes\\Courses.txt", false},
      {"E", "..\\x", "E:\\PSP\\GAME\\Velloran\\notes\\..\\x.txt", false},
      {"E", "NUL", "E:\\PSP\\GAME\\Velloran\\notes\\NUL.txt", false},
      // The title is decoded alone, and the rules hold for what it decodes to.
      {"E", "COM\xfb", "E:\\PSP\\GAME\\Velloran\\notes\\COM\xfb.txt", false, 850},  // COM¹
      {"E", "COM\xb9", "E:\\PSP\\GAME\\Velloran\\notes\\COM\xb9.txt", true, 850},   // a box corner
      {"E", "ab\x82", "E:\\PSP\\GAME\\Velloran\\notes\\ab\x82.txt", false, 932},  // lone lead byte
      {"E", "\x83\x5c", "E:\\PSP\\GAME\\Velloran\\notes\\\x83\x5c.txt", true, 932},  // one letter
      {"E", "caf\xe9", "E:\\PSP\\GAME\\Velloran\\notes\\caf\xe9.txt", false, 65001},
      {"E", std::string(251, 'a'),
       "E:\\PSP\\GAME\\Velloran\\notes\\" + std::string(251, 'a') + ".txt", true},
      {"E", std::string(252, 'a'),
       "E:\\PSP\\GAME\\Velloran\\notes\\" + std::string(252, 'a') + ".txt", false},
  };
  for (const auto& c : cases) {
    const NotePath path = windows_note_path(c.drive, c.title, c.code_page);
    EXPECT_EQ(path.text, c.path);
    EXPECT_EQ(path.usable, c.usable) << path.text;
  }
  EXPECT_EQ(windows_note_path("E", "caf\xc3\xa9", 65001).windows_name, u"caf\u00e9.txt");
}

#ifdef _WIN32
// What each failure says to the user: the fault, and its words.
TEST(WindowsSaveFault, SaysWhatIsReallyWrong) {
  struct FaultCase {
    DWORD error;
    SaveStep step;
    DWORD target;  // the attributes of what is at the note's place
    SaveFault fault;
    std::string words;
  };
  constexpr DWORD nothing = INVALID_FILE_ATTRIBUTES;
  const FaultCase cases[] = {
      {ERROR_WRITE_PROTECT, SaveStep::create, nothing, SaveFault::read_only, "write-protected"},
      {ERROR_ACCESS_DENIED, SaveStep::create, nothing, SaveFault::not_permitted, "may not write"},
      {ERROR_ACCESS_DENIED, SaveStep::rename, nothing, SaveFault::not_permitted, "may not write"},
      {ERROR_ACCESS_DENIED, SaveStep::rename, FILE_ATTRIBUTE_READONLY, SaveFault::not_permitted,
       "may not write"},
      {ERROR_ACCESS_DENIED, SaveStep::rename, FILE_ATTRIBUTE_DIRECTORY, SaveFault::note_is_folder,
       "a folder has the note's name"},
      // Replacing a note another program holds open.
      {ERROR_ACCESS_DENIED, SaveStep::rename, FILE_ATTRIBUTE_ARCHIVE, SaveFault::note_in_use,
       "open in another program"},
      {ERROR_SHARING_VIOLATION, SaveStep::rename, FILE_ATTRIBUTE_ARCHIVE, SaveFault::note_in_use,
       "open in another program"},
      {ERROR_INVALID_NAME, SaveStep::rename, nothing, SaveFault::name_refused, "refuses the name"},
      {ERROR_NO_UNICODE_TRANSLATION, SaveStep::rename, nothing, SaveFault::name_refused,
       "refuses the name"},
      {ERROR_DISK_FULL, SaveStep::write, nothing, SaveFault::full, "the card is full"},
      {ERROR_CRC, SaveStep::write, nothing, SaveFault::other, "could not be saved: x"},
  };
  for (const auto& c : cases) {
    const SaveFault fault = windows_save_fault(c.error, c.step, c.target);
    EXPECT_EQ(fault, c.fault) << c.error;
    EXPECT_NE(failure_line(catalogue, {fault, "x"}).find(c.words), std::string::npos) << c.error;
  }
}
#endif

#ifdef _WIN32
// A note written in Notepad (UTF-8) in the code page its title arrives in.
TEST(EncodeCodePage, HoldsWhatTheCodePageCanAndNamesWhatItCannot) {
  struct EncodeCase {
    std::string utf8;
    unsigned code_page;
    std::optional<std::string> bytes;
    std::string refused;
  };
  const EncodeCase cases[] = {
      {"caf\xc3\xa9\r\n", 850, "caf\x82\r\n", ""},
      {"caf\xc3\xa9", 1252, "caf\xe9", ""},
      {"\xe2\x82\xac", 1252, "\x80", ""},                   // the euro sign
      {"\xe2\x82\xac", 850, std::nullopt, "U+20AC"},        // none there
      {"\xf0\x9f\x98\x80", 65001, "\xf0\x9f\x98\x80", ""},  // a console in UTF-8
      {"\xf0\x9f\x98\x80", 1252, std::nullopt, "U+1F600"},
      // Not UTF-8: ANSI (1252 under the tests' locale), as Notepad once saved.
      {"\xe9t\xe9", 1252, "\xe9t\xe9", ""},
      {"\xe9t\xe9", 850, "\x82t\x82", ""},
  };
  for (const auto& c : cases) {
    std::string refused;
    EXPECT_EQ(encode_code_page(c.utf8, c.code_page, refused), c.bytes) << c.utf8;
    EXPECT_EQ(refused, c.refused) << c.utf8;
  }
  // Typed at a console in code page 437: refused where it is typed, by its name.
  std::string refused;
  EXPECT_EQ(narrow_checked(u"\u20ac5", 437, refused), std::nullopt);
  EXPECT_EQ(refused, "U+20AC");
}

// The line that starts the user's editor: the draft's path in quotes, and
// through the command processor, out of its expansion's reach.
TEST(EditorCommandLine, KeepsTheDraftsPathWhole) {
  const std::wstring draft = L"C:\\Users\\Al\\Plan %OS% week.txt";
  EXPECT_EQ(editor_command_line(L"\"C:\\Tools\\ed.exe\" -n", draft, L""),
            L"\"C:\\Tools\\ed.exe\" -n \"C:\\Users\\Al\\Plan %OS% week.txt\"");
  EXPECT_EQ(editor_command_line(L"code --wait", draft, L"C:\\windows\\system32\\cmd.exe"),
            L"\"C:\\windows\\system32\\cmd.exe\" /d /v:off /s /c \"code --wait "
            L"\"%NOTECREATOR_DRAFT%\"\"");
}
#endif

// The program's own texts as the output shows them: a code page holds what
// it can, and the rest, as ASCII holds all, is spelled without accents.
TEST(OutputText, IsInTheOutputsCharacterSet) {
  const std::string text =
      "Note cr\xc3\xa9\xc3\xa9"
      "e ! \xc3\x80 \xc5\x93uvre\xe2\x80\xa6";
  EXPECT_EQ(in_code_page(text, 65001), text);
  EXPECT_EQ(in_code_page(text, 1252),
            "Note cr\xe9\xe9"
            "e ! \xc0 \x9cuvre\x85");
  EXPECT_EQ(in_code_page(text, 850),
            "Note cr\x82\x82"
            "e ! \xb7 oeuvre...");
  EXPECT_EQ(ascii_spelling(text), "Note creee ! A oeuvre...");
  EXPECT_EQ(ascii_spelling("\xc3\x9f \xc3\xbf \xe2\x82\xac"), "ss y ?");
  // The first of LC_ALL, LC_CTYPE and LANG that is set says.
  EXPECT_TRUE(locale_is_utf8(nullptr, nullptr, "fr_FR.UTF-8"));
  EXPECT_TRUE(locale_is_utf8("", "C.utf8", "C"));
  EXPECT_TRUE(locale_is_utf8(nullptr, "de_DE.UTF-8@euro", nullptr));
  EXPECT_FALSE(locale_is_utf8("C", "C.UTF-8", "fr_FR.UTF-8"));
  EXPECT_FALSE(locale_is_utf8(nullptr, nullptr, "fr_FR.ISO-8859-15"));
  EXPECT_FALSE(locale_is_utf8(nullptr, nullptr, nullptr));
}

TEST(PosixNotePath, TakesAMountPointOrAWslDriveLetter) {
  const std::string long_mount = "/" + std::string(4000, 'm');
  // A whole path of 4095 bytes, the most there is room for.
  const std::string at_bound = "/" + std::string(4095 - 31, 'm');
  const PathCase cases[] = {
      {"E", "Courses", "/mnt/e/PSP/GAME/Velloran/notes/Courses.txt", true},
      {"e", "Courses", "/mnt/e/PSP/GAME/Velloran/notes/Courses.txt", true},
      {"/media/alice/MEMSTICK", "Courses",
       "/media/alice/MEMSTICK/PSP/GAME/Velloran/notes/Courses.txt", true},
      {"/Volumes/UNTITLED/", "a", "/Volumes/UNTITLED/PSP/GAME/Velloran/notes/a.txt", true},
      {"card", "a", "card/PSP/GAME/Velloran/notes/a.txt", true},
      {"/", "a", "/PSP/GAME/Velloran/notes/a.txt", true},
      {"E:", "a", "/mnt/e/PSP/GAME/Velloran/notes/a.txt", true},
      {"e:\\", "a", "/mnt/e/PSP/GAME/Velloran/notes/a.txt", true},
      {"E:/", "a", "/mnt/e/PSP/GAME/Velloran/notes/a.txt", true},
      {"/Volumes/NO NAME", "a", "/Volumes/NO NAME/PSP/GAME/Velloran/notes/a.txt", true},
      {"~", "a", "/home/al/PSP/GAME/Velloran/notes/a.txt", true},
      {"~/card/", "a", "/home/al/card/PSP/GAME/Velloran/notes/a.txt", true},
      {"~al/card", "a", "~al/card/PSP/GAME/Velloran/notes/a.txt", true},  // not another's home
      {"/media/card", "../x", "/media/card/PSP/GAME/Velloran/notes/../x.txt", false},
      {"/media/card", "CON", "/media/card/PSP/GAME/Velloran/notes/CON.txt", false},
      {"/media/\0card"s, "a", "/media/\0card/PSP/GAME/Velloran/notes/a.txt"s, false},
      {long_mount, std::string(100, 'a'),
       long_mount + "/PSP/GAME/Velloran/notes/" + std::string(100, 'a') + ".txt",
       false},  // past PATH_MAX
      {at_bound, "a", at_bound + "/PSP/GAME/Velloran/notes/a.txt", true},
      {at_bound + "m", "a", at_bound + "m/PSP/GAME/Velloran/notes/a.txt", false},
      // The answer's own bound: final slashes make a short path of a long answer.
      {"/m" + std::string(4093, '/'), "a", "/m/PSP/GAME/Velloran/notes/a.txt", true},
      {"/m" + std::string(4094, '/'), "a", "/m/PSP/GAME/Velloran/notes/a.txt", false},
  };
  for (const auto& c : cases) {
    const NotePath path = posix_note_path(c.drive, c.title, "/home/al");
    EXPECT_EQ(path.text, c.path);
    EXPECT_EQ(path.usable, c.usable) << path.text.substr(0, 80);
  }
}

// What the refusal at the title prompt names.
TEST(FindTitleProblem, NamesTheCharacterOrTheDevice) {
  EXPECT_EQ(find_title_problem("a*b").what, "*");
  EXPECT_EQ(find_title_problem("Lpt9.notes.txt").what, "Lpt9");
  EXPECT_EQ(find_title_problem("a\tb").kind, TitleProblem::control);
  EXPECT_EQ(find_title_problem(std::string(252, 'a')).kind, TitleProblem::too_long);
  EXPECT_EQ(find_windows_title_problem(u"a\u00e9|").what, "|");
  EXPECT_EQ(find_windows_title_problem(u"nul.txt").what, "nul");
}

TEST(NoteContents, IsCommentTwoCrLfAndBodyWithNothingAfter) {
  EXPECT_EQ(note_contents({"Courses", "Acheter", "Pain"}), "Acheter\r\n\r\nPain");
  EXPECT_EQ(note_contents({"Courses", "", "Pain"}), "\r\n\r\nPain");
  EXPECT_EQ(note_contents({"t", "a\0b"s, "\xff"}), "a\0b\r\n\r\n\xff"s);
  // Read back: the comment before the first CR LF CR LF, the note after it;
  // without one, all note; a UTF-8 mark dropped.
  const auto read_back = [](std::string_view bytes) {
    const NoteDraft note = note_from_contents(bytes);
    return note.comment + "|" + note.body;
  };
  EXPECT_EQ(read_back("Acheter\r\n\r\nPain\r\n\r\nBeurre"), "Acheter|Pain\r\n\r\nBeurre");
  EXPECT_EQ(read_back("\r\n\r\nPain"), "|Pain");
  EXPECT_EQ(read_back("\xef\xbb\xbfPain\nBeurre"), "|Pain\nBeurre");
}

}  // namespace
