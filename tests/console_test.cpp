#include "console/console.h"
#include "console/editor.h"
#include "console/screen_fit.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Gives its bytes, then fails as a terminal whose other side has gone.
struct FailingSource {
  std::string bytes;
  std::size_t at = 0;
};

ssize_t read_then_fail(void* cookie, char* buffer, std::size_t size) {
  auto* source = static_cast<FailingSource*>(cookie);
  if (source->at == source->bytes.size()) {
    errno = EIO;
    return -1;
  }
  const std::size_t count = std::min(size, source->bytes.size() - source->at);
  std::memcpy(buffer, source->bytes.data() + source->at, count);
  source->at += count;
  return static_cast<ssize_t>(count);
}

int close_source(void* cookie) {
  delete static_cast<FailingSource*>(cookie);
  return 0;
}

std::FILE* failing_after(const std::string& bytes) {
  auto* source = new FailingSource{bytes};
#ifdef __GLIBC__
  return fopencookie(source, "r", {read_then_fail, nullptr, nullptr, close_source});
#else
  return funopen(
      source,
      [](void* cookie, char* buffer, int size) {
        return static_cast<int>(read_then_fail(cookie, buffer, static_cast<std::size_t>(size)));
      },
      nullptr, nullptr, close_source);
#endif
}

// A console whose input holds exactly the given bytes, and whose output is
// kept for reading back.
struct TestConsole {
  Console console;
  explicit TestConsole(const std::string& input, bool then_fails = false) {
    console.in = then_fails ? failing_after(input) : std::tmpfile();
    console.out = std::tmpfile();
    console.err = std::tmpfile();
    if (then_fails) return;
    std::fwrite(input.data(), 1, input.size(), console.in);
    std::rewind(console.in);
  }
  ~TestConsole() {
    for (std::FILE* file : {console.in, console.out, console.err}) std::fclose(file);
  }
  TestConsole(const TestConsole&) = delete;
  TestConsole& operator=(const TestConsole&) = delete;

  // Read beside the stream, not through it: what print wrote must already be
  // out of the stream's buffer.
  static std::string contents(std::FILE* file) {
    std::string text;
    char buffer[4096];
    off_t at = 0;
    for (ssize_t got; (got = pread(fileno(file), buffer, sizeof buffer, at)) > 0; at += got)
      text.append(buffer, static_cast<std::size_t>(got));
    return text;
  }
};

constexpr std::optional<std::string> end_of_input = std::nullopt;
// What a read past its bound gives, whose rest it passed over.
const std::string TOO_LONG = "<too long>";

// One read and what it must return: a word or a line read (bounded), a char
// read, or the skip of a word's terminator ("" when it returns true).
struct Read {
  enum Kind { word, line, character, skip } kind;
  std::optional<std::string> expected;
  std::size_t bound = 100;
};

Read word(std::optional<std::string> expected, std::size_t bound = 100) {
  return {Read::word, std::move(expected), bound};
}
Read line(std::optional<std::string> expected, std::size_t bound = 100) {
  return {Read::line, std::move(expected), bound};
}
Read character(std::optional<std::string> expected) {
  return {Read::character, std::move(expected)};
}
Read skip(bool input_left = true) {
  return {Read::skip, input_left ? std::optional<std::string>("") : end_of_input};
}

struct ReadScript {
  const char* name;
  std::string input;
  std::vector<Read> reads;
  bool then_fails = false;  // the input fails once its bytes are read
};

void PrintTo(const ReadScript& script, std::ostream* os) {
  *os << script.name;
}

class ReaderScripts : public testing::TestWithParam<ReadScript> {};

TEST_P(ReaderScripts, ReturnEachReadInTurn) {
  const ReadScript& script = GetParam();
  TestConsole test(script.input, script.then_fails);
  for (std::size_t i = 0; i < script.reads.size(); ++i) {
    const Read& read = script.reads[i];
    std::optional<std::string> got;
    if (read.kind == Read::word || read.kind == Read::line) {
      const std::optional<Answer> answer = read.kind == Read::word
                                               ? read_word(test.console, read.bound)
                                               : read_line(test.console, read.bound);
      if (answer) got = answer->too_long ? TOO_LONG : answer->text;
    } else if (read.kind == Read::skip) {
      if (skip_word_terminator(test.console)) got = "";
    } else if (const auto c = read_char(test.console)) {
      got = std::string(1, *c);
    }
    EXPECT_EQ(got, read.expected) << "read " << i;
  }
  EXPECT_EQ(test.console.input_failed, script.then_fails);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    ReadWordAndReadChar, ReaderScripts,
    testing::Values(
        ReadScript{"TwoWordsOnOneLine",
                   "Liste courses\n",
                   {word("Liste"), word("courses"), character("\n"), character(end_of_input)}},
        ReadScript{
            "LeavesTheTerminatorInTheStream", "abc\nd", {word("abc"), character("\n"), word("d")}},
        ReadScript{"SkipsEveryWhitespaceBeforeAWord",
                   "\n\n \t\v\f\r\n  word\tnext",
                   {word("word"), character("\t"), word("next")}},
        ReadScript{"FoldsCrLfIntoLf",
                   "abc\r\nd\r\n",
                   {word("abc"), character("\n"), character("d"), character("\n")}},
        ReadScript{
            "KeepsALoneCr", "a\rb\n", {word("a"), character("\r"), word("b"), character("\n")}},
        ReadScript{"FoldsOnlyTheCrBeforeTheLf",
                   "a\r\r\nb",
                   {word("a"), character("\r"), character("\n"), word("b")}},
        ReadScript{
            "CrAtTheEndOfInput", "a\r", {word("a"), character("\r"), character(end_of_input)}},
        ReadScript{"EmptyInputHasNoWord", "", {word(end_of_input), character(end_of_input)}},
        ReadScript{"BlankLinesOnlyHaveNoWord", " \n\r\n\t", {word(end_of_input)}},
        ReadScript{"WordEndedByEndOfInput", "x", {word("x"), word(end_of_input)}},
        ReadScript{"PassesOverTheRestOfALongWord",
                   "abcdefgh ij\n",
                   {word(TOO_LONG, 3), character(" "), word("ij", 3), character("\n")}},
        ReadScript{"AWordOfExactlyTheBoundLeavesItsTerminator",
                   "abc def",
                   {word("abc", 3), character(" "), word("def", 3)}},
        ReadScript{
            "LongWordBeforeCrLf", "abc\r\nc", {word(TOO_LONG, 2), character("\n"), character("c")}},
        ReadScript{"TakesEightBitBytesAndNulsAsTheyCome",
                   "\xe9t\xe9\0x\xff y"s,
                   {word("\xe9t\xe9\0x\xff"s), character(" "), character("y")}},
        ReadScript{
            "CharReadTakesWhitespaceToo", " \n x", {character(" "), character("\n"), word("x")}},
        ReadScript{"SkipTakesTheWordsTerminator", "T xy\n", {word("T"), skip(), character("x")}},
        ReadScript{"SkipTakesTheTerminatorOfALongWord",
                   "aaaxy\nz",
                   {word(TOO_LONG, 3), skip(), character("z")}},
        ReadScript{"SkipTakesTheTerminatorOfAWordOfExactlyTheBound",
                   "abc\nx",
                   {word("abc", 3), skip(), character("x")}},
        ReadScript{"SkipAfterACharReadTakesNothing", "a b", {character("a"), skip(), word("b")}},
        ReadScript{"SkipAtTheEndOfInput", "abc", {word("abc"), skip(false)}},
        // A word cut short by a failure is no answer, and nothing is read after it.
        ReadScript{"AFailureInAWordThrowsItAway",
                   "title\nca",
                   {word("title"), skip(), word(end_of_input), character(end_of_input)},
                   true},
        ReadScript{"AFailureAfterAWholeWordKeepsIt",
                   "title\n",
                   {word("title"), character("\n"), character(end_of_input), word(end_of_input)},
                   true},
        // A line read takes its line feed, not a part of the answer.
        ReadScript{"LinesWithCrLfAndBlanks",
                   "Shopping list\r\n\n  two  words \nlast",
                   {line("Shopping list"), line(""), line("  two  words "), line("last"),
                    line(end_of_input)}},
        ReadScript{"ALineAfterAWordIsTheRestOfItsLine",
                   "T rest of it\nnext\n",
                   {word("T"), line(" rest of it"), line("next")}},
        ReadScript{
            "PassesOverTheRestOfALongLine", "abcd efg\nhi\n", {line(TOO_LONG, 4), line("hi", 4)}},
        ReadScript{"ALineOfExactlyTheBound", "abcd\n", {line("abcd", 4), line(end_of_input, 4)}},
        ReadScript{"AFailureInALineThrowsItAway",
                   "whole\ncut sho",
                   {line("whole"), line(end_of_input), character(end_of_input)},
                   true}),
    [](const testing::TestParamInfo<ReadScript>& info) { return std::string(info.param.name); });

// A non-blocking input with nothing in it yet is waited on, not taken for
// its end or for a failure.
TEST(ReadWord, WaitsOnANonBlockingInputThatIsEmptyForNow) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  fcntl(ends[0], F_SETFL, O_NONBLOCK);
  Console console;
  console.in = fdopen(ends[0], "r");
  std::thread typist([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    (void)!write(ends[1], "late\n", 5);
    close(ends[1]);
  });
  const std::optional<Answer> late = read_word(console, 100);
  EXPECT_EQ(late ? late->text : "", "late");
  typist.join();
  EXPECT_FALSE(read_word(console, 100).has_value());
  EXPECT_FALSE(console.input_failed);
  std::fclose(console.in);
}

TEST(Print, FillsTheFieldByteForByteAndIsVisibleAtOnce) {
  TestConsole test("");
  print(test.console, "Titre:\n%s\n\n", "a\0b%s"s);
  print(test.console, "(o/n) ");
  EXPECT_EQ(TestConsole::contents(test.console.out), "Titre:\na\0b%s\n\n(o/n) "s);
  EXPECT_EQ(TestConsole::contents(test.console.err), "");
}

// The window waits for Enter only when it would close with the program.
TEST(WindowIsTheProgramsAlone, OnlyWhenNoOtherProcessSharesItsConsole) {
  EXPECT_TRUE(window_is_the_programs_alone(1, true, true));    // Explorer, the Start menu
  EXPECT_FALSE(window_is_the_programs_alone(2, true, true));   // cmd or PowerShell is there too
  EXPECT_FALSE(window_is_the_programs_alone(1, false, true));  // input redirected
  EXPECT_FALSE(window_is_the_programs_alone(1, true, false));  // output redirected
  EXPECT_FALSE(window_is_the_programs_alone(0, true, true));   // the count failed
}

TEST(Print, ErrorsGoToTheErrorStream) {
  TestConsole test("");
  print_error(test.console, "failed: %s\n", "E:\\x.txt");
  EXPECT_EQ(TestConsole::contents(test.console.err), "failed: E:\\x.txt\n");
  EXPECT_EQ(TestConsole::contents(test.console.out), "");
}

// What an editor leaves in the draft, as the note it holds.
TEST(NoteFromDraft, MakesEachLineBreakCrLfAndEndsWithTheLastCharacter) {
  const std::pair<std::string, std::string> cases[] = {
      {"Pain", "Pain"},
      {"Pain\n", "Pain"},
      {"Pain\r\n\r\n\n", "Pain"},
      {"\xef\xbb\xbfPain\n", "Pain"},      // Notepad's byte-order mark
      {"a\xef\xbb\xbf", "a\xef\xbb\xbf"},  // kept anywhere but first
      {"Pain\n\nBeurre\r\nLait", "Pain\r\n\r\nBeurre\r\nLait"},
      {"\nPain", "\r\nPain"},  // a first line left empty stays
      {"a\rb", "a\rb"},        // a lone CR is no line break
      {"\n\r\n", ""},
  };
  for (const auto& [draft, note] : cases) EXPECT_EQ(note_from_draft(draft), note) << draft;
}

TEST(EditorName, IsTheProgramsOwnName) {
  EXPECT_EQ(editor_name("nano"), "nano");
  EXPECT_EQ(editor_name("  code --wait"), "code");
  EXPECT_EQ(editor_name("/usr/bin/vim -f"), "vim");
  EXPECT_EQ(editor_name("\"C:\\Program Files\\Notepad++\\notepad++.exe\" -multiInst"), "notepad++");
}

// A draft's name cut to its bound: between two characters, never inside one.
TEST(Utf8Prefix, CutsBetweenCharacters) {
  EXPECT_EQ(utf8_prefix("caf\xc3\xa9", 5), "caf\xc3\xa9");
  EXPECT_EQ(utf8_prefix("caf\xc3\xa9", 4), "caf");
  EXPECT_EQ(utf8_prefix("a\xf0\x9f\x98\x80"
                        "b",
                        4),
            "a");
  EXPECT_EQ(utf8_prefix("abc", 2), "ab");
  // Two long titles that begin alike never share a draft.
  const std::string start = std::string(190, 'a') + "\xc3\xa9\xc3\xa9";
  const std::string one = draft_stem(start + " lundi soir", 200);
  EXPECT_EQ(one, std::string(190, 'a') + title_digest(start + " lundi soir"));
  EXPECT_NE(one, draft_stem(start + " mardi soir", 200));
  EXPECT_EQ(draft_stem("Courses", 200), "Courses");
}

// A screen fitted to its window: the question, the title and the hint
// always in sight, blank lines dropped first, then the comment and the note
// cut, a line of the comment kept before the note is cut to nothing.
struct Fit {
  std::size_t rows;
  std::size_t columns;
  std::string comment;
  std::string note;
  std::string expected;  // what the parts show
};

TEST(FitToScreen, KeepsTheQuestionAndTheHintInSight) {
  const auto lines = [](int count) {
    std::string text;
    for (int line = 1; line <= count; ++line) text += (line > 1 ? "\n" : "") + std::to_string(line);
    return text;
  };
  const Fit fits[] = {
      {24, 80, "c", "n", "Save?\n\n\nTitle:\nT\n\nComment:\nc\n\nNote:\nn\n\n(y/n) "},
      // Short of one row: the first blank goes; of three, the first three.
      {12, 80, "c", "n", "Save?\n\nTitle:\nT\n\nComment:\nc\n\nNote:\nn\n\n(y/n) "},
      {10, 80, "c", "n", "Save?\nTitle:\nT\nComment:\nc\n\nNote:\nn\n\n(y/n) "},
      {10, 40, "c", lines(30), "Save?\nTitle:\nT\nComment:\nc\nNote:\n1\n2\n(+28 lines)\n(y/n) "},
      {10, 40, lines(3), lines(30),
       "Save?\nTitle:\nT\nComment:\n1\n(+2 lines)\nNote:\n1\n(+29 lines)\n"
       "(y/n) "},
      {9, 40, "c", "1\n2\n3", "Save?\nTitle:\nT\nComment:\nc\nNote:\n1\n(+2 lines)\n(y/n) "},
      // One more line of the note, a long one, said in the singular.
      {10, 40, "c", "1\n2\n" + std::string(50, 'x'),
       "Save?\nTitle:\nT\nComment:\nc\nNote:\n1\n2\n(+1 line)\n(y/n) "},
      // A tab reaches the next eighth column: "\tab" takes 10 of 10, "\t\tb" two rows.
      {10, 10, "\tab", "\t\tb\nx", "Save?\nTitle:\nT\nComment:\n\tab\nNote:\n\t\tb\nx\n(y/n) "},
      {9, 10, "\tab", "\t\tb\nx", "Save?\nTitle:\nT\nComment:\n\tab\nNote:\n(+2 lines)\n(y/n) "},
  };
  for (const Fit& fit : fits) {
    std::vector<ScreenPart> parts;
    add_lines(parts, "Save?\n\n\n");
    add_field(parts, "Title:\n%s\n\n", {ScreenPart::fixed, "T"});
    add_field(parts, "Comment:\n%s\n\n",
              {ScreenPart::cut, fit.comment, "(+%s lines)", "(+%s line)"});
    add_field(parts, "Note:\n%s\n\n", {ScreenPart::cut, fit.note, "(+%s lines)", "(+%s line)"});
    parts.push_back({ScreenPart::fixed, "(y/n) "});
    const std::string shown = fit_to_screen(parts, {fit.rows, fit.columns}, true);
    EXPECT_EQ(shown, fit.expected) << fit.rows << "x" << fit.columns;
    EXPECT_LE(rows_taken(shown, fit.columns, true), fit.rows) << shown;
  }
}

}  // namespace
