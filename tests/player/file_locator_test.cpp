// What the "Please find ..." question asks for each kind of file a stack names, and the
// names its answers are kept under.
#include "player/file_locator.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(FileLocator, TheQuestionFollowsTheKindOfFile) {
  struct Case {
    const char* stored;
    const char* prompt;
    const char* extension;
  } cases[] = {
      {"C:\\STACKS\\Far.stk", "Please find the stack named: Far.stk", ".stk"},
      {"Disk:Stacks:Far.STK", "Please find the stack named: Far.STK", ".stk"},
      {"C:\\ART\\map.bmp", "Please find the picture named: map.bmp", ".bmp"},
      {"C:\\ART\\old.pct", "Please find the picture named: old.pct", ".pct"},
      {"C:\\SND\\bell.wav", "Please find the sound named: bell.wav", ".wav"},
      {"C:\\MOV\\clip.avi", "Please find the movie named: clip.avi", ".avi"},
      {"C:\\APPS\\edit.exe", "Please find the application: edit.exe", ".exe"},
      {"C:\\DOCS\\notes.txt", "Please find the file named: notes.txt", ""},
      {"C:\\DOCS\\README", "Please find the file named: README", ""},
  };
  for (const Case& c : cases) {
    const LocatorQuestion q = LocatorQuestionFor(c.stored);
    EXPECT_EQ(q.prompt, c.prompt) << c.stored;
    EXPECT_EQ(q.extension, c.extension) << c.stored;
  }
}

TEST(FileLocator, AnswersAreKeptWithoutRegardToLetterCaseButPerFolder) {
  EXPECT_EQ(LocatorKey("C:\\STACKS\\Far.stk"), LocatorKey("c:\\stacks\\FAR.STK"));
  EXPECT_NE(LocatorKey("C:\\ONE\\far.stk"), LocatorKey("C:\\TWO\\far.stk"));
}

}  // namespace
}  // namespace corvida
