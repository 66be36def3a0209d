// Tarrow files: the open-file table, reading and writing text, positions, folders,
// listings, LOAD and SAVE, with the exact text scripts print and the bytes on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <utime.h>

#include "files_harness.h"

namespace corvida::logo {
namespace {

using testing::FileHarness;
using testing::FileHarnessOptions;

TEST(LogoFiles, PrintedTextIsWindowsTextWithCrLfAndReadsBackAsTheSameWords) {
  FileHarness h;
  // 0x8E is e-acute in Mac Roman, 0xE9 in the Windows character set.
  EXPECT_EQ(h.Lines("open \"notes.txt\n"
                    "setwrite \"notes.txt\n"
                    "print [hello world]\n"
                    "type \"caf\x8e\n"
                    "print \"|!|\n"
                    "show [a [b c]]\n"
                    "setwrite []\n"
                    "print \"console\n"),
            "console\n");
  EXPECT_EQ(h.ReadBox("notes.txt"), "hello world\r\ncaf\xE9|!|\r\n[a [b c]]\r\n");
  EXPECT_EQ(h.Lines("close \"notes.txt\nopen \"notes.txt\nsetread \"notes.txt\n"
                    "show readlist\n"
                    "show readword\n"
                    "show readlist\n"
                    "show keyp\n"
                    "show readword\n"
                    "show readlist\n"
                    "show readchar\n"),
            "[hello world]\ncaf\x8e|!|\n[[a [b c]]]\nFALSE\n\n[]\n\n");
}

TEST(LogoFiles, CrLfCrAndLfEachEndOneLine) {
  FileHarness h;
  h.WriteBox("ends.txt", "a\r\nb\rc\nd");
  EXPECT_EQ(h.Lines("open \"ends.txt\nsetread \"ends.txt\n"
                    "repeat 4 [print readword]\nshow keyp\n"
                    "setreadpos 0\n"
                    "repeat 6 [type ascii readchar type char 32]\nprint \"\n"),
            "a\nb\nc\nd\nFALSE\n97 13 98 13 99 13 \n");
}

TEST(LogoFiles, MacTextIsReadWithoutConversion) {
  FileHarness h;
  h.WriteBox("mac.txt", "caf\x8e\rnext\r");
  h.WriteBox("win.txt", "caf\xE9\r\nnext\r\n");
  EXPECT_EQ(h.Lines("open \"mac.txt\nopen \"win.txt\n"
                    "setread \"mac.txt\nprint ascii last readword\nprint readword\n"
                    "setread \"win.txt\nprint ascii last readword\nprint readword\n"),
            "142\nnext\n142\nnext\n");
}

TEST(LogoFiles, TableErrorsAndSelections) {
  FileHarness h;
  EXPECT_EQ(h.Lines("open \"f1\nopen \"f2\nopen \"f3\nopen \"f4\n"
                    "open \"f5\nopen \"f6\nopen \"f7\nopen \"f8\n"),
            "");
  EXPECT_EQ(h.Lines("open \"f9\nshow allopen\n"),
            "Logo Error: Too many files are open\n\nAt: OPEN \"f9\n"
            "[f1 f2 f3 f4 f5 f6 f7 f8]\n");
  EXPECT_EQ(h.Lines("setread \"f2\nsetread \"nothere\nshow reader\nshow writer\n"),
            "Logo Error: nothere is not open\n\nAt: SETREAD \"nothere\nf2\n[]\n");
  EXPECT_EQ(h.Lines("setwrite \"f3\nclose \"f3\nshow writer\nclose \"f3\n"),
            "[]\nLogo Error: f3 is not open\n\nAt: CLOSE \"f3\n");
  EXPECT_EQ(h.Lines("closeall\nshow allopen\nshow reader\n"
                    "print readpos\nprint writepos\nsetreadpos 0\nsetwritepos 0\n"),
            "[]\n[]\n"
            "Logo Error: READPOS wants a reader file\n\nAt: PRINT READPOS\n"
            "Logo Error: WRITEPOS wants a writer file\n\nAt: PRINT WRITEPOS\n"
            "Logo Error: SETREADPOS wants a reader file\n\nAt: SETREADPOS 0\n"
            "Logo Error: SETWRITEPOS wants a writer file\n\nAt: SETWRITEPOS 0\n");
  EXPECT_EQ(h.Lines("open [a b]\nload \"missing.lgo\npofile \"missing.txt\n"),
            "Logo Error: OPEN doesn't like [[a b]] as input\n\nAt: OPEN [a b]\n"
            "Logo Error: Can't read from [\"missing.lgo]\n\nAt: LOAD \"missing.lgo\n"
            "Logo Error: Can't read from [\"missing.txt]\n\nAt: POFILE \"missing.txt\n");
}

TEST(LogoFiles, PositionsLengthsAndOneFileAsReaderAndWriter) {
  FileHarness h;
  h.WriteBox("data.txt", "first\r\nsecond\r\n");
  EXPECT_EQ(h.Lines("open \"data.txt\nsetread \"data.txt\nsetwrite \"data.txt\n"
                    "make \"w readword\nmake \"at (list readpos writepos filelen \"data.txt)\n"
                    "setwritepos filelen \"data.txt\ntype \"third\n"
                    "make \"end (list writepos filelen \"data.txt)\nsetwrite []\n"
                    "print :w\nprint :at\nprint :end\n"
                    "setreadpos 7\nprint readword\nprint readword\n"
                    "setreadpos -1\n"),
            "first\n7 7 15\n20 20\nsecond\nthird\n"
            "Logo Error: Disk IO Error\n\nAt: SETREADPOS -1\n");
  EXPECT_EQ(h.ReadBox("data.txt"), "first\r\nsecond\r\nthird");
}

TEST(LogoFiles, OpenKeepsAnExistingFileAndCreatesAMissingOne) {
  FileHarness h;
  h.WriteBox("keep.txt", "kept\r\n");
  EXPECT_EQ(h.Lines("open \"keep.txt\nopen \"new.txt\nshow filelen \"keep.txt\n"
                    "show filelen \"new.txt\nshow filep \"new.txt\nshow filep \"other.txt\n"
                    "closeall\nshow filep \"keep.txt\n"),
            "6\n0\nTRUE\nFALSE\nTRUE\n");
  EXPECT_EQ(h.ReadBox("keep.txt"), "kept\r\n");
}

TEST(LogoFiles, EraseRenameFoldersAndThePrefix) {
  FileHarness h;
  h.WriteBox("a.txt", "A");
  h.WriteBox("b.txt", "B");
  EXPECT_EQ(h.Lines("rename \"a.txt \"b.txt\nrename \"a.txt \"c.txt\nshow filep \"a.txt\n"
                    "erasefile \"c.txt\nerasefile \"c.txt\n"
                    "open \"b.txt\nerasefile \"b.txt\nclose \"b.txt\n"
                    "createdirectory \"sub\ncreatedirectory \"sub\n"
                    "show prefix\nsetprefix \"sub\nshow prefix\n"
                    "open \"inner.txt\nsetwrite \"inner.txt\nprint \"in\nclose \"inner.txt\n"
                    "setprefix \"nowhere\nshow prefix\nsetprefix \"\nshow prefix\n"
                    "show filep \"sub\\\\inner.txt\nsetprefix \"SUB\nshow prefix\n"),
            "Logo Error: Disk IO Error\n\nAt: RENAME \"a.txt \"b.txt\n"
            "FALSE\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"c.txt\n"
            "Logo Error: Disk IO Error\n\nAt: ERASEFILE \"b.txt\n"
            "Logo Error: Disk IO Error\n\nAt: CREATEDIRECTORY \"sub\n"
            "\nsub\n"
            "Logo Error: Disk IO Error\n\nAt: SETPREFIX \"nowhere\n"
            "sub\n\nTRUE\nsub\n");
  EXPECT_EQ(h.ReadBox("b.txt"), "B");
  EXPECT_EQ(h.ReadBox("sub/inner.txt"), "in\r\n");
}

std::string DateOf(time_t t) {
  struct tm tm {};
  localtime_r(&t, &tm);
  char buf[64];
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %02d %s %04d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                tm.tm_mday, months[tm.tm_mon], tm.tm_year + 1900);
  return buf;
}

TEST(LogoFiles, CatalogAndDirListThePrefixFolder) {
  FileHarness h;
  const std::string long_name = "a_name_of_thirty_characters.tx";
  ASSERT_EQ(long_name.size(), 30u);
  h.WriteBox("short.txt", "12345");
  h.WriteBox(long_name, "");
  h.WriteBox("sub/x", "");
  time_t when = 1700000000;
  struct utimbuf times {
    when, when
  };
  for (const std::string& n : {std::string("short.txt"), long_name, std::string("sub")})
    ASSERT_EQ(utime(h.Box(n).c_str(), &times), 0);
  std::string date = DateOf(when);
  EXPECT_EQ(h.Lines("catalog\n"),
            "Name         Date                  Size   \n"
            "------------ --------------------  -------\n" +
                long_name + "\n" + std::string(24, ' ') + date + "        0\n" + "short.txt" +
                std::string(15, ' ') + date + "        5\n" + "sub" + std::string(21, ' ') + date +
                "        0\n");
  EXPECT_EQ(h.Lines("show dir\nshow online\n"), "[[" + long_name + " " + date + " 0] [short.txt " +
                                                    date + " 5] [sub " + date + " 0]]\n[]\n");
  // Listings go to the writer file like other printing.
  EXPECT_EQ(h.Lines("open \"list.txt\nsetwrite \"list.txt\ncatalog\nclose \"list.txt\n"), "");
  EXPECT_EQ(h.ReadBox("list.txt").substr(0, 44), "Name         Date                  Size   \r\n");
}

TEST(LogoFiles, PofilePrintsTheFile) {
  FileHarness h;
  h.WriteBox("poem.txt", "roses\r\nare red\rviolets\n");
  EXPECT_EQ(h.Lines("pofile \"poem.txt\n"), "roses\nare red\nviolets\n");
}

TEST(LogoFiles, LoadRunsTheFileBeforeTheNextLine) {
  FileHarness h;
  h.WriteBox("lib.lgo",
             "to double :x\r\noutput :x * 2\r\nend\r\nprint double 21\r\nmake \"seen \"yes\r\n");
  EXPECT_EQ(h.Lines("load \"lib.lgo print \"first\nprint :seen\nprint double 4\n"),
            "first\n42\nyes\n8\n");
  // An error in a loaded line ends the rest of the file; the console goes on.
  h.WriteBox("bad.lgo", "print 1\nprint 1 / 0\nprint 3\n");
  EXPECT_EQ(h.Lines("load \"bad.lgo\nprint \"after\n"),
            "1\nLogo Error: Can't divide by 0\n\nAt: PRINT 1 / 0\nafter\n");
  // A file that loads itself stops at eight files deep.
  h.WriteBox("self.lgo", "make \"n :n + 1\nload \"self.lgo\n");
  EXPECT_EQ(h.Lines("make \"n 0\nload \"self.lgo\nprint :n\n"),
            "Logo Error: Too many files are open\n\nAt: LOAD \"self.lgo\n8\n");
  // READLIST inside a loaded file reads the file's next line.
  h.WriteBox("data.lgo", "show readlist\none two\nprint \"done\n");
  EXPECT_EQ(h.Script("load \"data.lgo\nprint \"end\n"), "[one two]\ndone\nend\n");
}

TEST(LogoFiles, SaveWritesTheWorkspaceThatLoadBringsBack) {
  FileHarness h;
  EXPECT_EQ(h.Lines("make \"score 10\npprop \"fred \"age 7\n"
                    "to greet :who\nprint sentence \"hello :who\nend\n"
                    "save \"ws.lgo\n"),
            "");
  std::string saved = h.ReadBox("ws.lgo");
  EXPECT_NE(saved.find("MAKE \"score 10\r\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("\n\n"), std::string::npos) << "every line ends in CR LF";
  FileHarness fresh;
  fresh.WriteBox("ws.lgo", saved);
  EXPECT_EQ(fresh.Lines("load \"ws.lgo\nprint :score\nprint gprop \"fred \"age\ngreet \"you\n"),
            "10\n7\nhello you\n");
  EXPECT_EQ(fresh.Lines("save [ws]\n"),
            "Logo Error: SAVE doesn't like [[ws]] as input\n\nAt: SAVE [ws]\n");
}

TEST(LogoFiles, WritesStopAtTheSizeLimit) {
  FileHarness h;
  EXPECT_EQ(h.Lines("open \"big.txt\nsetwrite \"big.txt\nsetwritepos 67108860\n"
                    "print \"abcdefgh\nsetwritepos 67108865\n"),
            "Logo Error: Disk IO Error\n\nAt: PRINT \"abcdefgh\n"
            "Logo Error: Disk IO Error\n\nAt: SETWRITEPOS 67108865\n");
}

TEST(LogoFiles, TheStackQuotaCountsEntriesAndBytes) {
  FileHarnessOptions options;
  options.quota = {100, 4};
  FileHarness h(options);
  h.WriteBox("old.txt", std::string(30, 'x'));  // already there: counted when first asked
  const char* kDiskError = "Logo Error: Disk IO Error\n\nAt: ";
  struct Step {
    const char* lines;
    std::string output;
  };
  const Step steps[] = {
      // Three more entries fit, a fourth does not, whatever makes it.
      {"open \"a\nopen \"b\ncreatedirectory \"sub\nclose \"b", ""},
      {"open \"c", kDiskError + std::string("OPEN \"c\n")},
      {"createdirectory \"more", kDiskError + std::string("CREATEDIRECTORY \"more\n")},
      {"save \"ws", kDiskError + std::string("SAVE \"ws\n")},
      // Erasing gives the entry and the bytes back.
      {"erasefile \"b\nopen \"c\nclose \"c", ""},
      // 70 bytes are left: growing a file counts, writing over its own bytes does not.
      {"setwrite \"a\ntype \"0123456789012345678901234567890123456789012345678901234567890123\n"
       "setwritepos 0\ntype \"0123456789012345678901234567890123456789012345678901234567890123",
       ""},
      {"type \"abcdefghij", kDiskError + std::string("TYPE \"abcdefghij\n")},
      {"setwrite [] closeall erasefile \"old.txt\nopen \"a\nsetwrite \"a\nsetwritepos 64\n"
       "type \"abcdefghij",
       ""},
  };
  for (const Step& s : steps) EXPECT_EQ(h.Lines(s.lines), s.output) << s.lines;
  EXPECT_EQ(h.ReadBox("a").size(), 74u);
}

TEST(LogoFiles, LooseLetterCaseFollowsChangesToTheFolder) {
  FileHarness h;
  EXPECT_EQ(h.Lines("open \"One.txt\nclose \"one.txt\nshow filep \"ONE.TXT"), "TRUE\n");
  EXPECT_EQ(h.Lines("rename \"one.txt \"Three.txt\nshow filep \"ONE.txt\nshow filep \"three.TXT\n"
                    "createdirectory \"Sub\nopen \"sub/Four\nclose \"SUB/four\n"
                    "erasefile \"SUB/FOUR\nshow filep \"sub/four"),
            "FALSE\nTRUE\nFALSE\n");
}

}  // namespace
}  // namespace corvida::logo
