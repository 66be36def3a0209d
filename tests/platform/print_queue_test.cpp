// The print queue's commands: what `lpstat -d` is read as, and an `lp` that takes the
// document, refuses it, or never answers (fake commands on the PATH).
#include "platform/print_queue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(PrintQueue, TheDefaultDestinationIsReadFromLpstat) {
  struct Case {
    const char* output;
    const char* name;
  } cases[] = {
      {"system default destination: Office\n", "Office"},
      {"scheduler is running\nsystem default destination: HP_4th-floor  \r\n", "HP_4th-floor"},
      {"no system default destination\n", ""},
      {"", ""},
      {"system default destination: \n", ""},
      {"system default destination: -o evil\n", ""},  // would read as an option of lp
      {"system default destination: two words\n", ""},
      {"system default destination: a/b\n", ""},
      {"system default destination: bell\x07\n", ""},
      {"  system default destination: Office\n", ""},  // not at a line's start
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDefaultDestination(c.output), c.name) << c.output;
  EXPECT_EQ(ParseDefaultDestination("system default destination: " + std::string(128, 'p')), "");
  EXPECT_EQ(ParseDefaultDestination("system default destination: " + std::string(127, 'p')),
            std::string(127, 'p'));
}

// Fake lp and lpstat in a folder put first on the PATH for the test's length.
class FakeQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    old_path_ = path ? path : "";
    setenv("PATH", (dir.path() + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", old_path_.c_str(), 1); }
  void Program(const std::string& name, const std::string& body) {
    dir.Write(name, "#!/bin/sh\n" + body);
    chmod(dir.File(name).c_str(), 0755);
  }
  testing::TempDir dir;
  std::string old_path_;
};

TEST_F(FakeQueue, ThereIsADefaultPrinterOnlyWithBothCommandsAndADefault) {
  Program("lpstat", "echo 'system default destination: Fake'\n");
  // Without lp on the PATH nothing could print: no printer then.
  setenv("PATH", dir.path().c_str(), 1);
  EXPECT_EQ(DefaultPrinter(), "");
  setenv("PATH", (dir.path() + ":" + old_path_).c_str(), 1);
  Program("lp", "cat >/dev/null\n");
  EXPECT_EQ(DefaultPrinter(), "Fake");
  Program("lpstat", "echo 'no system default destination'\n");
  EXPECT_EQ(DefaultPrinter(), "");
  // An lpstat that never answers is given up on.
  Program("lpstat", "exec sleep 30\n");
  EXPECT_EQ(DefaultPrinter(50), "");
}

TEST_F(FakeQueue, LpTakesTheDocumentOrSaysWhyNot) {
  struct Case {
    const char* what;
    const char* lp;
    bool ok;
    const char* error;
  } cases[] = {
      {"takes it", "printf '%s\\n' \"$@\" > \"$0.args\"; cat > \"$0.doc\"\n", true, ""},
      {"refuses it", "cat >/dev/null; echo 'lp: The printer does not exist.' >&2; exit 1\n", false,
       "lp: The printer does not exist."},
      {"ends silently", "exit 3\n", false, "lp ended with status 3"},
      {"reads half", "head -c 1000 >/dev/null\n", false,
       "the print queue did not take the document"},
  };
  // Larger than a pipe holds, so that it is fed in pieces.
  std::string document(1 << 20, 'x');
  for (size_t i = 0; i < document.size(); i += 997) document[i] = char('a' + i % 26);
  for (const Case& c : cases) {
    Program("lp", c.lp);
    std::string error;
    auto job = PrintJob::Start("Fake", "My\nstack", PageSetup::Paper::kLetter, document, error);
    ASSERT_NE(job, nullptr) << c.what << ": " << error;
    ASSERT_TRUE(job->WaitFor(20000)) << c.what;
    EXPECT_EQ(job->succeeded(), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(dir.Read("lp.doc"), document);
      EXPECT_EQ(dir.Read("lp.args"), "-d\nFake\n-t\nMy?stack\n-o\nmedia=Letter\n");
    } else {
      EXPECT_EQ(job->error(), c.error) << c.what;
    }
  }
}

TEST_F(FakeQueue, AnLpThatNeverEndsIsCancelled) {
  Program("lp", "exec sleep 30\n");
  std::string error;
  auto job = PrintJob::Start("Fake", "s", PageSetup::Paper::kA4, "doc", error);
  ASSERT_NE(job, nullptr) << error;
  EXPECT_FALSE(job->WaitFor(50));
  EXPECT_FALSE(job->Step());
  job->Cancel();
  EXPECT_TRUE(job->Step());
  EXPECT_FALSE(job->succeeded());
  EXPECT_EQ(job->error(), "no answer from the print queue");
}

TEST_F(FakeQueue, AMissingLpIsAnErrorNotAJob) {
  setenv("PATH", dir.path().c_str(), 1);
  std::string error;
  EXPECT_EQ(PrintJob::Start("Fake", "s", PageSetup::Paper::kA4, "doc", error), nullptr);
  EXPECT_NE(error.find("cannot start lp"), std::string::npos) << error;
}

}  // namespace
}  // namespace corvida
