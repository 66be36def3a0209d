// The print-out family and the escaped listing form, with the exact text they print, and
// the property every listing must have: run back on a fresh interpreter it lists the same.
#include <gtest/gtest.h>

#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Case;
using testing::Check;

TEST(LogoVocabListing, WordsAreEscapedNumbersAreNot) {
  Check({
      {"make \"x 'a b'\npons", "MAKE \"x \"a\\ b\n"},
      {"make 'my var' 1\npons", "MAKE \"my\\ var 1\n"},
      {"make \"x [a b [c []] 1 2.5 -3]\npons", "MAKE \"x [a b [c []] 1 2.5 -3]\n"},
      {"make \"x \"12abc\npons", "MAKE \"x \"\\12abc\n"},
      {"make \"x '.5'\npons", "MAKE \"x \"\\.5\n"},
      {"make \"x 'a+b(c)*d-e;f<g=h>i\\\\j'\npons",
       "MAKE \"x \"a\\+b\\(c\\)\\*d\\-e\\;f\\<g\\=h\\>i\\\\j\n"},
      {"make \"x (list 'a[b' 'c]d')\npons", "MAKE \"x [a\\[b c\\]d]\n"},
      {"make \"x word \"a char 9\npons", "MAKE \"x \"a\\x09\n"},
      {"make \"x word char 13 \"b\npons", "MAKE \"x \"\\x0Db\n"},
      {"make \"x [\" a]\npons", "MAKE \"x ['' a]\n"},
      {"make \"x \"\\\"\npons", "MAKE \"x \"\"\n"},
      {"make \"x \"\npons", "MAKE \"x \"\n"},
      {"make \"x (list \"'tis \"/x \"a/b)\npons", "MAKE \"x [\\'tis \\/x a/b]\n"},
  });
}

TEST(LogoVocabListing, Procedures) {
  Check({
      {"to add\nPRINT 1 + 2\nend\npo \"add", "TO add\nPRINT 1 \\+ 2\nEND\n"},
      {"to f :a :b\nprint :a - :b\n\nprint (sum :a 2)\nend\npo \"f",
       "TO f :a :b\nprint :a \\- :b\n\nprint \\( sum :a 2 \\)\nEND\n"},
      {"to empty\nend\npo \"empty", "TO empty\nEND\n"},
      {"to g\nprint \"|a b| [x \" y]\nend\npo \"g", "TO g\nprint \"|a b| [x '' y]\nEND\n"},
      {"to f :a\nend\npot \"f", "TO f :a\n"},
      {"to a\nprint 1\nend\nto b\nprint 2\nend\npo [a b]",
       "TO a\nprint 1\nEND\n\nTO b\nprint 2\nEND\n"},
      {"to a\nprint 1\nend\nto b\nprint 2\nend\npops",
       "TO a\nprint 1\nEND\n\nTO b\nprint 2\nEND\n"},
      {"to a :x\nend\nto b\nend\npots", "TO a :x\nTO b\n"},
      {"to a\nend\nbury \"a\npops\npots\npo \"a", "TO a\nEND\n"},
      {"po \"nothing", "Logo Error: \"nothing is undefined\n\nAt: PO \"nothing\n"},
      {"to a\nend\npo [a zz]", "TO a\nEND\nLogo Error: \"zz is undefined\n\nAt: PO [a zz]\n"},
      {"to a\nend\npot [a [b]]",
       "TO a\nLogo Error: POT doesn't like [b] as input\n\nAt: POT [a [b]]\n"},
      {"po []\npot []", ""},
  });
}

TEST(LogoVocabListing, NamesPlistsAndEverything) {
  Check({
      {"make \"b 2\nmake \"a [1]\npons", "MAKE \"a [1]\nMAKE \"b 2\n"},
      {"make \"a 1\nburyname \"a\nmake \"c \"x\npons", "MAKE \"c \"x\n"},
      {"make \"a 1\npon \"a\npon [a a]", "MAKE \"a 1\nMAKE \"a 1\nMAKE \"a 1\n"},
      {"pon \"zz", "Logo Error: \"zz is undefined\n\nAt: PON \"zz\n"},
      {"pprop \"p \"k 'v w'\npps", "SETPLIST \"p [k v\\ w]\n"},
      {"make \"a 1\npprop \"p \"k 1\nto t\nend\npoall",
       "MAKE \"a 1\n\nSETPLIST \"p [k 1]\n\nTO t\nEND\n"},
      {"poall", "\n\n"},
  });
}

TEST(LogoVocabListing, EscapeStopsAListing) {
  testing::Harness h;
  h.Lines("make \"i 0 repeat 40 [make \"i :i + 1 make word \"v :i 1]");
  Message key;
  key.message = msg::kKeyDown;
  key.wParam = vk::kEscape;
  h.platform().windows().PostMessage(key);
  key.message = msg::kChar;
  h.platform().windows().PostMessage(key);
  std::string out = h.Lines("pons\nprint \"next");
  EXPECT_LT(std::count(out.begin(), out.end(), '\n'), 20) << out;
  EXPECT_TRUE(out.ends_with("next\n")) << out;
}

// Lists everything; the text then runs on a fresh interpreter, which must list the same.
void ExpectRoundTrip(const std::string& setup) {
  testing::Harness first;
  first.Lines(setup);
  std::string listing = first.Lines("pons pps pops");
  testing::Harness second;
  EXPECT_EQ(second.Lines(listing), "") << listing;
  // Buckets list newest first, so a reload reverses entries that share a bucket: list
  // each entry on its own and compare them as sets of lines.
  std::string again = second.Lines("pons pps pops");
  auto sorted = [](const std::string& s) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
      if (i == s.size() || s[i] == '\n') {
        lines.push_back(s.substr(start, i - start));
        start = i + 1;
      }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  EXPECT_EQ(sorted(again), sorted(listing)) << listing << "---\n" << again;
}

TEST(LogoVocabListing, ListingsReadBackAsTheSameDefinitions) {
  ExpectRoundTrip(
      "make \"plain \"word\n"
      "make \"spaced 'two words'\n"
      "make \"ops (list \"+ \"- \"* \"/ \"< \"> \"= \"( \") 'a;b' '[x]')\n"
      "make \"nums [1 -2 3.5 0.25 \"4]\n"
      "make \"nested [[a [b [c]]] [] x]\n"
      "make \"digits \"123\n"
      "make \"quote \"\\\"\n"
      "make \"ctrl word \"a char 9\n"
      "make \"mac char 202\n"
      "pprop \"cat \"legs 4\n"
      "pprop \"cat \"name 'Tom Cat'\n"
      "to square :side\n"
      "repeat 4 [fd :side rt 90]\n"
      "\n"
      "print (sum 1 2 -3) * 4 / 2\n"
      "end\n"
      "to greet :who\n"
      "print se [hello \"there] :who\n"
      "end\n");
}

}  // namespace
}  // namespace corvida::logo
