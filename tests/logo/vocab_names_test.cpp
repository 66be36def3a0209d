// Property lists with the exact output they print. Each case runs on a fresh interpreter.
#include <gtest/gtest.h>

#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Case;
using testing::Check;

TEST(LogoVocabNames, PropertyLists) {
  Check({
      {"pprop \"cat \"legs 4\npprop \"cat \"tail \"yes\nshow plist \"cat", "[legs 4 tail yes]\n"},
      {"pprop \"cat \"legs 4\npprop \"cat \"legs 3\nshow plist \"cat", "[legs 3]\n"},
      {"pprop \"cat \"legs 4\nshow gprop \"CAT \"legs\nshow gprop \"cat \"ears", "4\n[]\n"},
      {"show gprop \"nobody \"x\nshow plist \"nobody", "[]\n[]\n"},
      {"pprop \"a \"x 1\npprop \"a \"y 2\npprop \"a \"z 3\nremprop \"a \"y\nshow plist \"a",
       "[x 1 z 3]\n"},
      {"pprop \"a \"x 1\nremprop \"a \"x\nshow plist \"a\npps", "[]\n"},
      {"remprop \"a \"x", "Logo Error: \"a is undefined\n\nAt: REMPROP \"a \"x\n"},
      {"pprop \"a \"x 1\nremprop \"a \"q", "Logo Error: \"q is undefined\n\nAt: REMPROP \"a \"q\n"},
      {"setplist \"b [p [1 2] q two]\nshow gprop \"b \"p\npps",
       "[1 2]\nSETPLIST \"b [p [1 2] q two]\n"},
      {"setplist \"b [p 1 q]",
       "Logo Error: Property lists must have an even number of elements\n\nAt: SETPLIST \"b [p 1 "
       "q]\n"},
      {"pprop \"a \"x 1\npprop \"b \"y 2\npps\nerprops\npps\nshow plist \"a",
       "SETPLIST \"a [x 1]\nSETPLIST \"b [y 2]\n[]\n"},
  });
}

TEST(LogoVocabNames, BuriedPropertyListsStayUsable) {
  Check({
      {"pprop \"a \"x 1\npprop \"b \"y 2\nburyplist \"a\npps\nshow gprop \"a \"x",
       "SETPLIST \"b [y 2]\n1\n"},
      {"pprop \"a \"x 1\nburyplist [a]\nerprops\nshow plist \"a\nunburyplist \"a\npps",
       "[x 1]\nSETPLIST \"a [x 1]\n"},
      {"buryplist \"zz", "Logo Error: \"zz is undefined\n\nAt: BURYPLIST \"zz\n"},
  });
}

TEST(LogoVocabNames, PropertyListsSurviveCollections) {
  testing::Harness h;
  h.Lines("make \"i 0\nrepeat 300 [make \"i :i + 1 pprop \"big word \"p :i :i * 2]");
  h.interp().Collect();
  EXPECT_EQ(h.Lines("show gprop \"big \"p250\nshow count plist \"big"), "500\n600\n");
}

bool AnyIn(Node* const (&chains)[7]) {
  for (Node* c : chains)
    if (c) return true;
  return false;
}

TEST(LogoVocabNames, BuriedNamesAndProceduresStayUsable) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"x 5\nto f\noutput 7\nend\nburyname \"x\nbury [f]\n"
                    "show :x\nshow f\nburyname \"x"),
            "5\n7\n");
  EXPECT_FALSE(AnyIn(h.interp().names));
  EXPECT_FALSE(AnyIn(h.interp().procs));
  EXPECT_EQ(h.Lines("unburyname \"x\nunbury \"f\nshow :x + f"), "12\n");
  EXPECT_TRUE(AnyIn(h.interp().names));
  EXPECT_FALSE(AnyIn(h.interp().buried_procs));
  EXPECT_EQ(h.Lines("buryname \"nope"), "Logo Error: \"nope is undefined\n\nAt: BURYNAME \"nope\n");
}

TEST(LogoVocabNames, BuryallHidesEverythingUntilUnburyall) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"x 1\npprop \"a \"p 2\nto f\nend\nburyall\npps\nshow :x"), "1\n");
  EXPECT_FALSE(AnyIn(h.interp().names));
  EXPECT_FALSE(AnyIn(h.interp().procs));
  EXPECT_EQ(h.Lines("unburyall\npps"), "SETPLIST \"a [p 2]\n");
  EXPECT_FALSE(AnyIn(h.interp().buried_names));
  EXPECT_FALSE(AnyIn(h.interp().buried_procs));
}

TEST(LogoVocabNames, ErasingLeavesBuriedEntries) {
  Check({
      {"make \"x 1\nmake \"y 2\nern \"x\nshow namep \"x\nshow :y", "FALSE\n2\n"},
      {"make \"x 1\nburyname \"x\nern [x]\nshow namep \"x", "FALSE\n"},
      {"ern \"x", "Logo Error: \"x is undefined\n\nAt: ERN \"x\n"},
      {"make \"x 1\nmake \"y 2\nburyname \"y\nerns\nshow namep \"x\nshow :y", "FALSE\n2\n"},
      {"to f\nend\nto g\nend\nbury \"g\nerps\nshow definedp \"f\nshow definedp \"g",
       "FALSE\nTRUE\n"},
      {"to f\nerps\nend\nf", "Logo Error: ERPS cannot be used in a procedure\n\nAt: ERPS\n"},
      {"make \"x 1\npprop \"a \"p 1\nto f\nend\nerall\nshow namep \"x\nshow definedp "
       "\"f\npps",
       "FALSE\nFALSE\n"},
  });
}

}  // namespace
}  // namespace corvida::logo
