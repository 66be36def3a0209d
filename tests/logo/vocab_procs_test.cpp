// Procedures as values and their definition: TO, DEFINE, TEXT, COPYDEF, ERASE and the
// predicates, with the exact text they print.
#include <gtest/gtest.h>

#include "logo/workspace.h"
#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Case;
using testing::Check;

TEST(LogoVocabProcs, ToChecksItsNameAndInputs) {
  Check({
      {"to print\nend", "Logo Error: \"print is a primitive\n\nAt: TO print\n"},
      {"to :x\nend", "Logo Error: TO doesn't like \":x as input\n\nAt: TO :x\n"},
      {"to f x\nend\nprint definedp \"f",
       "Logo Error: TO doesn't like \"x as input\n\nAt: TO f x\nFALSE\n"},
      {"to f :a\nprint :a\nend\nto f\nprint 2\nend\nf", "2\n"},
      // A refused definition's lines are dropped, not run.
      {"to print\nprint \"body\nend\nprint \"after",
       "Logo Error: \"print is a primitive\n\nAt: TO print\nafter\n"},
  });
}

// A name in a running line is found to be no primitive once; the procedure it calls is
// still the one defined at the time of each call, or none.
TEST(LogoVocabProcs, ANameInALineCallsTheProcedureOfTheMoment) {
  Check({
      {"to f\nprint 1\nend\nmake \"line [f]\nrun :line\ndefine \"f [[] [print 2]]\nrun :line\n"
       "erase \"f\nrun :line",
       "1\n2\nLogo Error: I don't know how to f\n\nAt: f\n"},
      {"make \"l [g print \"x]\nrun :l\nto g\nprint 3\nend\nrun :l\nrepeat 2 [g]",
       "Logo Error: I don't know how to g\n\nAt: g print \"x\n3\nx\n3\n3\n"},
  });
}

TEST(LogoVocabProcs, Define) {
  Check({
      {"define \"twice [[x] [output 2 * :x]]\nprint twice 21\npo \"twice",
       "42\nTO twice :x\nOUTPUT 2 \\* :x\nEND\n"},
      {"define \"hi [[] [print \"hi]]\nhi\nshow text \"hi", "hi\n[[] [PRINT \"hi]]\n"},
      {"define \"nothing []\nnothing\npo \"nothing", "TO nothing\nEND\n"},
      {"to f\nprint 1\nend\ndefine \"f [[] [print 2]]\nf", "2\n"},
      {"define \"sum [[] []]", "Logo Error: \"sum is a primitive\n\nAt: DEFINE \"sum [[] []]\n"},
      {"define [f] [[]]", "Logo Error: DEFINE doesn't like [f] as input\n\nAt: DEFINE [f] [[]]\n"},
      {"define \"f [[] print]",
       "Logo Error: DEFINE doesn't like \"print as input\n\nAt: DEFINE \"f [[] print]\n"},
      {"define \"f \"x", "Logo Error: DEFINE doesn't like \"x as input\n\nAt: DEFINE \"f \"x\n"},
      {"define \"f [[[a]] []]",
       "Logo Error: DEFINE doesn't like [a] as input\n\nAt: DEFINE \"f [[[a]] []]\n"},
  });
}

TEST(LogoVocabProcs, DefinitionsAreShared) {
  // DEFINE keeps the list it is given; TEXT gives back the record's own list.
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"d [[n] [print :n]]\ndefine \"p :d\np 5\nshow text \"p"),
            "5\n[[n] [PRINT :n]]\n");
  Node* d = h.interp().MakeWord("d");
  Node* p = h.interp().MakeWord("p");
  EXPECT_EQ(h.interp().FindProc(p)->link, h.interp().FindVariable(d, 0)->link->elem);
  EXPECT_EQ(h.Lines("text \"zz"), "Logo Error: \"zz is undefined\n\nAt: TEXT \"zz\n");
  EXPECT_EQ(h.Lines("show text [a]"),
            "Logo Error: TEXT doesn't like [a] as input\n\nAt: SHOW TEXT [a]\n");
}

TEST(LogoVocabProcs, Copydef) {
  Check({
      {"to a\nprint \"a\nend\ncopydef \"a \"b\nb\npo \"b", "a\nTO b\nPRINT \"a\nEND\n"},
      {"to a\nprint \"a\nend\nto b\nprint \"b\nend\ncopydef \"a \"b\nb\nerase \"a\nb", "a\na\n"},
      {"copydef \"zz \"b", "Logo Error: \"zz is undefined\n\nAt: COPYDEF \"zz \"b\n"},
      {"copydef \"print \"b", "Logo Error: \"print is undefined\n\nAt: COPYDEF \"print \"b\n"},
      {"to a\nend\ncopydef \"a \"print",
       "Logo Error: \"print is a primitive\n\nAt: COPYDEF \"a \"print\n"},
      {"to a\nend\nbury \"a\ncopydef \"a \"b\npots", "TO b\n"},
  });
}

TEST(LogoVocabProcs, CopydefOntoTheRunningProcedureFinishesIt) {
  // The running procedure keeps the lines it started with.
  EXPECT_EQ(testing::RunLogo("to a\nprint 1\ncopydef \"b \"a\nrecycle\nprint 2\nend\n"
                             "to b\nprint \"b\nend\na\na"),
            "1\n2\nb\n");
}

TEST(LogoVocabProcs, PredicatesAndErase) {
  Check({
      {"print primitivep \"print\nprint primitivep \"PR\nprint primitivep \"zz",
       "TRUE\nTRUE\nFALSE\n"},
      {"to f\nend\nprint definedp \"F\nbury \"f\nprint definedp \"f\nprint definedp \"print",
       "TRUE\nTRUE\nFALSE\n"},
      {"to f\nend\nto g\nend\nerase [f g]\nprint definedp \"f\nprint definedp \"g",
       "FALSE\nFALSE\n"},
      {"erase \"f", "Logo Error: \"f is undefined\n\nAt: ERASE \"f\n"},
  });
}

// A script started while another runs (as a button's script started from a wait, or one
// an extension hands over): what it defines lasts until it ends.
TEST(LogoVocabProcs, NestedScriptsDefineInAScopeOfTheirOwn) {
  HeadlessPlatform platform{Folders{}};
  InterpreterConfig config;
  config.clock = &platform.clock();
  config.windows = &platform.windows();
  std::string out;
  Interpreter* self = nullptr;
  InterpreterHooks hooks;
  hooks.write = [&](std::string_view s) {
    out.append(s);
    if (s == "nest\n") {
      self->RunScript("to f\nprint \"inner\nend\nto g\nend\nto g\nprint \"g2\nend\nf g pots");
      LoadWorkspaceText(*self, "to w\nprint \"kept\nend", LoadMode::kWorkspaceOnly);
      EXPECT_EQ(self->ProcScopeDepth(), 0u);
    }
  };
  hooks.show_error = [&](const std::string& s) { out += s + "\n"; };
  Interpreter in(config, hooks);
  self = &in;
  in.RunScript("to f\nprint \"outer\nend\nprint \"nest\nf\nprint definedp \"g\nw");
  EXPECT_EQ(out, "nest\ninner\ng2\nTO f\nTO f\nTO g\nouter\nFALSE\nkept\n");
}

}  // namespace
}  // namespace corvida::logo
