// The workspace as text: what a stack keeps (names, property lists, procedures, buried
// ones buried again), run back with output off, and the instructions it may not hold.
#include <gtest/gtest.h>

#include "logo/workspace.h"
#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Harness;

// An interpreter whose every printed text and error message lands in one string.
struct Recorder {
  Recorder() {
    config.clock = &platform.clock();
    config.windows = &platform.windows();
    hooks.write = [this](std::string_view s) {
      out.append(s);
      if (on_write) on_write(s);
    };
    hooks.show_error = [this](const std::string& s) { out += s + "\n"; };
    interp = std::make_unique<Interpreter>(config, hooks);
  }
  std::string Run(std::string_view text) {
    out.clear();
    TextLineSource source(text);
    interp->RunConsole(source);
    return out;
  }
  std::string Load(std::string_view text, LoadMode mode, int expect_failed) {
    out.clear();
    EXPECT_EQ(LoadWorkspaceText(*interp, text, mode), expect_failed) << text;
    return out;
  }

  HeadlessPlatform platform{Folders{}};
  InterpreterConfig config;
  InterpreterHooks hooks;
  std::function<void(std::string_view)> on_write;
  std::unique_ptr<Interpreter> interp;
  std::string out;
};

TEST(LogoWorkspace, TextListsEverythingWithCrLf) {
  Harness h;
  h.Lines(
      "make \"a 'x y'\nmake \"b [1 [2]]\nburyname \"b\npprop \"p \"k 1\n"
      "to sq :n\noutput :n * :n\nend\nto hidden\nend\nbury \"hidden\nburyplist \"p");
  EXPECT_EQ(WorkspaceText(h.interp(), WorkspaceScope::kWithBuried),
            "MAKE \"a \"x\\ y\r\nMAKE \"b [1 [2]]\r\nBURYNAME \"b\r\n\r\n"
            "SETPLIST \"p [k 1]\r\nBURYPLIST \"p\r\n\r\n"
            "TO sq :n\r\noutput :n \\* :n\r\nEND\r\n\r\nTO hidden\r\nEND\r\nBURY \"hidden\r\n");
  EXPECT_EQ(WorkspaceText(h.interp(), WorkspaceScope::kNormal),
            "MAKE \"a \"x\\ y\r\n\r\n\r\nTO sq :n\r\noutput :n \\* :n\r\nEND\r\n");
  EXPECT_EQ(WorkspaceText(Harness().interp(), WorkspaceScope::kWithBuried), "\r\n\r\n");
  // Listing erases nothing.
  EXPECT_EQ(h.Lines("print :a print sq 3"), "x y\n9\n");
}

TEST(LogoWorkspace, TextRunsBackAsTheSameWorkspace) {
  Harness h;
  h.Lines(
      "make \"a 'x y'\nmake \"b [1 [2]]\nburyname \"b\npprop \"p \"k 1\n"
      "to sq :n\noutput :n * :n\nend\nto hidden\nprint 1\n\nend\nbury \"hidden\n");
  std::string text = WorkspaceText(h.interp(), WorkspaceScope::kWithBuried);
  Harness fresh;
  EXPECT_EQ(LoadWorkspaceText(fresh.interp(), text, LoadMode::kWorkspaceOnly), 0);
  EXPECT_EQ(WorkspaceText(fresh.interp(), WorkspaceScope::kWithBuried), text);
  EXPECT_EQ(fresh.Lines("pons pots print sq 4 hidden"), "MAKE \"a \"x\\ y\nTO sq :n\n16\n1\n");
  EXPECT_EQ(fresh.errors(), 0);
}

TEST(LogoWorkspace, EveryLineEndReadsAsOne) {
  for (const char* end : {"\r\n", "\r", "\n"}) {
    Harness h;
    std::string text = std::string("to f") + end + "print 1" + end + "end" + end + "make \"x 2";
    EXPECT_EQ(LoadWorkspaceText(h.interp(), text, LoadMode::kWorkspaceOnly), 0);
    EXPECT_EQ(h.Lines("po \"f print :x"), "TO f\nprint 1\nEND\n2\n") << int(end[0]);
  }
}

TEST(LogoWorkspace, OnlyWorkspaceInstructionsRun) {
  Recorder r;
  std::string text =
      "print \"hello\n"
      "make \"a sum 1 2\n"
      "make \"b 1 print 2\n"
      "make \"c :a\n"
      "erall\n"
      "make \"ok [fine]\n"
      "to f\nprint \"defined\nend\n"
      "pprop \"p \"k \"v\n"
      "buryall\n";
  EXPECT_EQ(r.Load(text, LoadMode::kWorkspaceOnly, 5),
            "Logo Error: print cannot be used in a workspace\n\nAt: print \"hello\n"
            "Logo Error: sum cannot be used in a workspace\n\nAt: make \"a sum 1 2\n"
            "Logo Error: print cannot be used in a workspace\n\nAt: make \"b 1 print 2\n"
            "Logo Error: make cannot be used in a workspace\n\nAt: make \"c :a\n"
            "Logo Error: erall cannot be used in a workspace\n\nAt: erall\n");
  EXPECT_EQ(r.Run("unburyall print namep \"a print namep \"b print namep \"c print :ok f"
                  " show plist \"p"),
            "FALSE\nFALSE\nFALSE\nfine\ndefined\n[k v]\n");
}

// Earlier players saved a word value without its double-quote character, and the empty
// word as nothing: such lines make the word rather than call it.
TEST(LogoWorkspace, BareWordValuesOfOlderWorkspacesAreWords) {
  Recorder r;
  EXPECT_EQ(r.Load("MAKE \"a hello\r\nMAKE \"b print\r\nMAKE \"c \\12abc\r\nMAKE \"d \r\n"
                   "MAKE \"e a\\ b\r\nMAKE \"f TRUE\r\nMAKE \"g hello there\r\n",
                   LoadMode::kWorkspaceOnly, 1),
            "Logo Error: hello cannot be used in a workspace\n\nAt: MAKE \"g hello there\n");
  EXPECT_EQ(r.Run("show :a show :b show :c show wordp :c show count :d show :e show :f"
                  " show namep \"g"),
            "hello\nprint\n12abc\nTRUE\n0\na b\nTRUE\nFALSE\n");
  // Our own saves quote the word, and read back the same.
  EXPECT_EQ(
      r.Load(WorkspaceText(*r.interp, WorkspaceScope::kWithBuried), LoadMode::kWorkspaceOnly, 0),
      "");
  EXPECT_EQ(r.Run("show :e show count :d"), "a b\n0\n");
}

TEST(LogoWorkspace, LoadingKeepsBuriedEntriesAndOutputOff) {
  Recorder r;
  r.Run("make \"x 1 buryname \"x pprop \"p \"k 1 buryplist \"p");
  EXPECT_EQ(r.Load("MAKE \"x 2\nSETPLIST \"p [k 2]\nMAKE \"y 3", LoadMode::kWorkspaceOnly, 0), "");
  EXPECT_EQ(r.Run("print :x show plist \"p print :y"), "1\n[k 1]\n3\n");
  // Any instruction may run in the other mode, silently; output is back on afterwards.
  EXPECT_EQ(r.Load("print \"quiet\nmake \"x 5", LoadMode::kAnyInstruction, 0), "");
  EXPECT_EQ(r.Run("print :x"), "5\n");
  EXPECT_EQ(r.Load("to f\nprint 1", LoadMode::kWorkspaceOnly, 1),
            "Logo Error: You used a TO without an END\n\nAt: TO f\n");
  EXPECT_EQ(r.Run("print definedp \"f"), "FALSE\n");
}

TEST(LogoWorkspace, LoadingInsideARunningProcedureLeavesItAlone) {
  Recorder r;
  // A stack opened from a running script loads its workspace there and then.
  r.on_write = [&](std::string_view s) {
    if (s == "load\n") LoadWorkspaceText(*r.interp, "MAKE \"x 5\nerall", LoadMode::kWorkspaceOnly);
  };
  EXPECT_EQ(r.Run("to f\nlocal \"x\nmake \"x 1\ncatch \"error [print \"load]\nprint :x\n"
                  "print error\nend\nf print :x"),
            "load\nLogo Error: erall cannot be used in a workspace\n\nAt: erall\n"
            "1\n0\n5\n");
}

TEST(LogoWorkspace, EraseEmptiesEveryStore) {
  Harness h;
  h.Lines(
      "make \"a 1 make \"b 2 buryname \"b pprop \"p \"k 1 buryplist \"p\n"
      "to f\nend\nto g\nend\nbury \"g");
  EraseWorkspace(h.interp());
  EXPECT_EQ(WorkspaceText(h.interp(), WorkspaceScope::kWithBuried), "\r\n\r\n");
  EXPECT_EQ(h.Lines("print namep \"b print definedp \"g"), "FALSE\nFALSE\n");
}

}  // namespace
}  // namespace corvida::logo
