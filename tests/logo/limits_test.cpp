// What one script may cost: the text one PRINT or TYPE writes, memory the system cannot
// give, and the size of a stack's workspace that is run when the stack opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

#include "logo/workspace.h"
#include "logo_harness.h"

namespace corvida::logo {
namespace {

constexpr size_t kPrintLimit = 16 * 1024 * 1024;

// An interpreter whose console writer records the size of every write.
struct Writes {
  explicit Writes(std::function<void(std::string_view)> extra = nullptr) {
    InterpreterConfig config;
    config.clock = &platform.clock();
    config.windows = &platform.windows();
    InterpreterHooks hooks;
    hooks.write = [this, extra](std::string_view s) {
      total += s.size();
      largest = std::max(largest, s.size());
      if (extra) extra(s);
    };
    hooks.show_error = [this](const std::string& s) { errors += s + "\n"; };
    interp = std::make_unique<Interpreter>(config, hooks);
  }
  void Run(std::string_view text) {
    TextLineSource source(text);
    interp->RunConsole(source);
  }
  HeadlessPlatform platform{Folders{}};
  std::unique_ptr<Interpreter> interp;
  size_t total = 0, largest = 0;
  std::string errors;
};

TEST(LogoLimits, OnePrintWritesAtMostItsBoundInputByInput) {
  Writes w;
  // A word of 4 MB, printed five times by one PRINT and one TYPE.
  w.Run("make \"w \"abcd repeat 20 [make \"w word :w :w]");
  for (const char* line : {"(print :w :w :w :w :w)", "(type :w :w :w :w :w)"}) {
    w.total = w.largest = 0;
    w.Run(line);
    EXPECT_LE(w.total, kPrintLimit + 1) << line;
    EXPECT_GE(w.total, kPrintLimit) << line;
    EXPECT_LE(w.largest, (size_t{4} << 20) + 1) << line;  // one input at a time
  }
  EXPECT_EQ(w.errors, "");
}

// A list that shares itself sixty times over stands for 2^60 words: the primitives that
// take its whole text stop at the text's bound with "Out of space" instead of copying for
// hours (MATCH, SIMILARP, MEMBER, INSERT and REPLACE take it as UNPARSE does); those that
// need no text answer at once.
TEST(LogoLimits, TextOfAListSharingItselfIsBounded) {
  testing::Harness h;
  h.Lines("make \"x [a] repeat 60 [make \"x list :x :x]");
  const std::pair<const char*, const char*> cases[] = {
      {"show count unparse :x", "Logo Error: Out of space\n\nAt: SHOW COUNT UNPARSE :x\n"},
      {"show equalp :x :x show count se :x :x show memberp \"b :x", "TRUE\n4\nFALSE\n"},
  };
  for (auto [lines, output] : cases) EXPECT_EQ(h.Lines(lines), output) << lines;
}

TEST(LogoLimits, MemoryTheSystemCannotGiveIsOutOfSpace) {
  struct Case {
    const char* what;
    std::function<void()> fail;
  };
  const Case cases[] = {
      {"bad_alloc", [] { throw std::bad_alloc(); }},
      {"length_error", [] { throw std::length_error("too long"); }},
  };
  for (const Case& c : cases) {
    bool fail = true;
    Writes w([&](std::string_view) {
      if (fail) c.fail();
    });
    w.Run("print \"big print \"never");
    EXPECT_EQ(w.errors, "Logo Error: Out of space\n\nAt: PRINT \"big print \"never\n") << c.what;
    // The interpreter carries on with the next line.
    fail = false;
    w.total = 0;
    w.Run("print \"fine");
    EXPECT_EQ(w.total, 5u) << c.what;
  }
}

TEST(LogoLimits, AStackWorkspacePastItsBoundsIsNotRun) {
  testing::Harness h;
  std::string lines;
  for (size_t i = 0; i <= kWorkspaceLineLimit; ++i) lines += "MAKE \"a 1\r\n";
  StackWorkspaceLoad many = LoadStackWorkspace(h.interp(), lines);
  EXPECT_EQ(many.outcome, StackWorkspaceLoad::Outcome::kTooManyLines);
  std::string big(kWorkspaceTextLimit + 1, ' ');
  big.replace(0, 9, "MAKE \"a 1");
  EXPECT_EQ(LoadStackWorkspace(h.interp(), big).outcome, StackWorkspaceLoad::Outcome::kTooLarge);
  EXPECT_EQ(h.Lines("print namep \"a"), "FALSE\n");  // nothing of either ran

  StackWorkspaceLoad fine = LoadStackWorkspace(h.interp(), "MAKE \"a 1\r\nPRINT \"x\r\n");
  EXPECT_EQ(fine.outcome, StackWorkspaceLoad::Outcome::kLoaded);
  EXPECT_EQ(fine.failed, 1);
  EXPECT_EQ(h.Lines("print :a"), "1\n");
}

// Names and property lists are found through indexes beside their chains: every way an
// entry moves between the stores must leave lookups agreeing with the chains.
TEST(LogoLimits, IndexedStoresFollowEveryMove) {
  testing::Case cases[] = {
      {"make \"a 1 buryname \"a make \"a 2 print :a unburyname \"a print :a pons",
       "2\n2\nMAKE \"a 2\n"},
      {"make \"a 1 make \"b 2 ern \"a print namep \"a make \"a 3 print :a", "FALSE\n3\n"},
      {"make \"a 1 buryname \"a ern \"a print namep \"a", "FALSE\n"},
      {"make \"a 1 buryall make \"b 2 erns print :a unburyall erns print namep \"a", "1\nFALSE\n"},
      {"make \"Abc 1 print thing \"ABC make \"aBC 2 print :abc", "1\n2\n"},
      {"pprop \"p \"k 1 buryplist \"p pprop \"p \"j 2 print plist \"p unburyplist \"p pps",
       "k 1 j 2\nSETPLIST \"p [k 1 j 2]\n"},
      {"pprop \"p \"k 1 remprop \"p \"k print plist \"p pprop \"p \"k 3 print gprop \"p \"k",
       "\n3\n"},
      {"pprop \"p \"k 1 erprops print plist \"p setplist \"p [a 1] print gprop \"p \"a", "\n1\n"},
      {"pprop \"p \"k 1 buryall pprop \"p \"j 2 unburyall print plist \"P", "k 1 j 2\n"},
  };
  testing::Check({std::begin(cases), std::end(cases)});
}

}  // namespace
}  // namespace corvida::logo
