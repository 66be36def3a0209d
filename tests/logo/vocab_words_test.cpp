// Word and list primitives that search, edit, compare and convert, with the exact output
// they print. Each case runs on a fresh interpreter.
#include <gtest/gtest.h>

#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Case;
using testing::Check;

TEST(LogoVocabWords, MemberSearchesListsAndText) {
  Check({
      {"show member \"c [a b c d]", "[c d]\n"},
      {"show member [b] [a [b] c]", "[[b] c]\n"},
      {"show member \"z [a b]", "[]\n"},
      {"show member \"c \"abcde", "cde\n"},
      {"show member \"z \"abc", "\n"},
      {"show member 12 [a 12 b]", "[12 b]\n"},
      {"show member 3 12345", "345\n"},
      {"show memberp \"b [a b]", "TRUE\n"},
      {"show memberp \"q \"abc", "FALSE\n"},
      {"show memberp \"a []", "FALSE\n"},
  });
}

TEST(LogoVocabWords, InsertRemoveReplace) {
  Check({
      {"show insert \"x 0 \"abc", "xabc\n"},
      {"show insert \"x 3 \"abc", "abcx\n"},
      {"show insert \"x 1 [a b]", "[a x b]\n"},
      {"show insert [p q] 0 []", "[[p q]]\n"},
      {"show remove 2 [a b c]", "[a c]\n"},
      {"show remove 1 [a]", "[]\n"},
      {"show remove 2 \"abc", "ac\n"},
      {"show replace \"xy 2 \"abcd", "axyd\n"},
      {"show replace \"z 3 [a b c]", "[a b z]\n"},
      {"make \"l [a b c]\nmake \"m lput \"x :l\nshow :l\nshow :m", "[a b c]\n[a b c x]\n"},
      {"make \"l [a b c]\nmake \"m replace \"q 1 :l\nshow :l\nshow :m", "[a b c]\n[q b c]\n"},
  });
}

TEST(LogoVocabWords, EditErrorsNameThePrimitive) {
  Check({
      {"show insert \"x -1 \"abc",
       "Logo Error: INSERT doesn't like [-1 \"abc] as input\n\nAt: SHOW INSERT \"x -1 \"abc\n"},
      {"show insert \"x 5 \"abc",
       "Logo Error: The index given is too big for [\"abc]\n\nAt: SHOW INSERT \"x 5 \"abc\n"},
      {"show remove 0 [a]",
       "Logo Error: REMOVE doesn't like [0 [a]] as input\n\nAt: SHOW REMOVE 0 [a]\n"},
      {"show remove 4 [a b]",
       "Logo Error: The index given is too big for [[a b]]\n\nAt: SHOW REMOVE 4 [a b]\n"},
      {"show replace \"xyz 3 \"abcd",
       "Logo Error: The index given is too big for [\"abcd]\n\nAt: SHOW REPLACE \"xyz 3 \"abcd\n"},
  });
}

TEST(LogoVocabWords, MatchAndSimilarp) {
  Check({
      {"show match [U] \"a?c [xx ABC yy]", "[ABC yy]\n"},
      {"show match [] \"b [a b c]", "[b c]\n"},
      {"show match [] \"q [a b c]", "[]\n"},
      {"show match [] \"c?e \"abcdef", "cdef\n"},
      {"show match [U] \"CD \"abcdef", "cdef\n"},
      {"show match [] \"zz \"abc", "\n"},
      {"show matchp [] \"b [a b]", "TRUE\n"},
      {"show matchp [] \"x [a b]", "FALSE\n"},
      {"show similarp [W] 'a   b' 'a b'", "TRUE\n"},
      {"show similarp [] 'a   b' 'a b'", "FALSE\n"},
      {"show similarp [] \"a%b 'a b'", "TRUE\n"},
      {"show similarp [R _ x] \"a_b \"axb", "TRUE\n"},
      {"show similarp [D _] \"a_b_c \"abc", "TRUE\n"},
      {"show similarp [U] \"abc \"ABC", "TRUE\n"},
      {"show similarp [] \"abc \"ABC", "FALSE\n"},
      {"show similarp [X] \"ab \"ab", "TRUE\n"},
      {"show similarp [BOGUS] \"ab \"ab",
       "Logo Error: SIMILARP doesn't like [[BOGUS] \"ab \"ab] as input\n\nAt: SHOW SIMILARP "
       "[BOGUS] \"ab \"ab\n"},
      {"show match [R x] \"a [a]",
       "Logo Error: MATCH doesn't like [[R x] \"a [a]] as input\n\nAt: SHOW MATCH [R x] \"a [a]\n"},
  });
}

// In a word, each start is tried with the options applied to the text from there on:
// WHITESPACE drops the blanks a start falls on, DELETE what follows; the output is the
// unprocessed text from that start.
TEST(LogoVocabWords, MatchInAWordAppliesTheOptionsFromEachStart) {
  Check({
      {"show match [W] \"b%c 'a   b  c'", "   b  c\n"},
      {"show match [W] \"%c 'a   b  c'", "\n"},
      {"show match [W] \"c 'ab   '", "\n"},
      {"show match [D x] \"ab \"xxaxxbx", "xxaxxbx\n"},
      {"show match [D x W] \"a%b 'xa  x b'", "xa  x b\n"},
      {"show match [W D x] \"a%b 'a x b'", "\n"},
      {"show match [R a x D x] \"b \"aab", "aab\n"},
      // A long target is searched once through, not processed again from every start.
      {"make \"l \"a repeat 20 [make \"l word :l :l]\n"
       "show count match [W] \"b :l show count match [W D a] \"? word :l \"xyz",
       "0\n1048579\n"},
  });
}

TEST(LogoVocabWords, ComparingAndConverting) {
  Check({
      {"show beforep \"abc \"abd", "TRUE\n"},
      {"show beforep \"ab \"abc", "TRUE\n"},
      {"show beforep \"abc \"abc", "FALSE\n"},
      {"show beforep \"B \"a", "TRUE\n"},
      {"show ascii \"A", "65\n"},
      {"show ascii 7", "55\n"},
      {"show ascii \"", "0\n"},
      {"show char 65", "A\n"},
      {"show char 321", "A\n"},
      {"show uppercase \"aBc1", "ABC1\n"},
      {"show lowercase \"AbC", "abc\n"},
      {"show uppercase 1.5", "1.5\n"},
      {"show parse 'print [a b] 3'", "[print [a b] 3]\n"},
      {"show unparse [a [b c] 12]", "a b c 12\n"},
      {"show count unparse [a [b c]]", "5\n"},
      {"show ascii [a]", "Logo Error: ASCII doesn't like [a] as input\n\nAt: SHOW ASCII [a]\n"},
      {"show char \"x", "Logo Error: CHAR doesn't like \"x as input\n\nAt: SHOW CHAR \"x\n"},
  });
}

}  // namespace
// Words taken apart and put together share characters with the words they came from;
// every primitive reads them as the same characters, whatever the chunk boundaries.
TEST(LogoVocabWords, WordsSharingCharactersReadAsTheirText) {
  Check({
      {"show butfirst \"abcdefghij", "bcdefghij\n"},
      {"show bf bf bf bf \"abcdefghij", "efghij\n"},
      {"show bf bf bf bf bf bf bf bf bf \"abcdefghij", "j\n"},
      {"show emptyp bf bf \"ab", "TRUE\n"},
      {"make \"w bf bf bf \"abcdefgh\nshow (list :w count :w last :w first :w item 3 :w)",
       "[defgh 5 h d f]\n"},
      {"make \"w word \"xy bf \"abcdefgh\nshow (list :w count :w butlast :w item 4 :w)",
       "[xybcdefgh 9 xybcdefg c]\n"},
      {"show equalp word \"ab \"cdefg \"abcdefg", "TRUE\n"},
      {"show equalp word \"abc \"defg word \"abcd \"efg", "TRUE\n"},
      {"show member \"fg word \"a bf \"xbcdefgh", "fgh\n"},
      {"show (word \"a \"bcdef \"g)", "abcdefg\n"},
      {"show (word \"ab 12 \"cd)", "ab12cd\n"},
      {"make \"e bf \"a show (word \"abc :e)", "abc\n"},
      {"make \"e bf \"a show word :e bf \"xyz", "yz\n"},
      {"show lowercase word \"A bf \"xBCDEFG", "abcdefg\n"},
      {"show uppercase bl word \"a bf \"xbcdefg", "ABCDEF\n"},
      {"make word \"na bf \"xme 5 show :name", "5\n"},
      {"make \"name 7 show thing word \"na bf \"xme", "7\n"},
  });
}

// Errors of taking apart name the primitive by its full name, whichever name was called.
TEST(LogoVocabWords, TakingApartNothingNamesThePrimitive) {
  Check({
      {"show bf \"", "Logo Error: BUTFIRST doesn't like \" as input\n\nAt: SHOW BF \" \n"},
      {"show bl []", "Logo Error: BUTLAST doesn't like [] as input\n\nAt: SHOW BL []\n"},
      {"show first bf \"a",
       "Logo Error: FIRST doesn't like \" as input\n\nAt: SHOW FIRST BF \"a\n"},
      {"show last \"", "Logo Error: LAST doesn't like \" as input\n\nAt: SHOW LAST \" \n"},
  });
}

// A handler shared by a name and its abbreviation complains under one name for both:
// the full one. A missing input is the caller's to report, under the name it called.
TEST(LogoVocabWords, AbbreviationsComplainUnderTheFullName) {
  Check({
      {"fd \"far", "Logo Error: FORWARD doesn't like \"far as input\n\nAt: FD \"far\n"},
      {"forward \"far", "Logo Error: FORWARD doesn't like \"far as input\n\nAt: FORWARD \"far\n"},
      {"bk []", "Logo Error: BACK doesn't like [] as input\n\nAt: BK []\n"},
      {"lt \"x", "Logo Error: LEFT doesn't like \"x as input\n\nAt: LT \"x\n"},
      {"rt \"x", "Logo Error: RIGHT doesn't like \"x as input\n\nAt: RT \"x\n"},
      {"seth \"x", "Logo Error: SETHEADING doesn't like \"x as input\n\nAt: SETH \"x\n"},
      {"show rcs \"x", "Logo Error: READCHARS doesn't like \"x as input\n\nAt: SHOW RCS \"x\n"},
      {"show se 1", "Logo Error: Not enough inputs to SENTENCE\n\nAt: SHOW SE 1\n"},
      {"pr", "Logo Error: Not enough inputs to PRINT\n\nAt: PR\n"},
      {"fd", "Logo Error: Not enough inputs to FD\n\nAt: FD\n"},
  });
}

}  // namespace corvida::logo
