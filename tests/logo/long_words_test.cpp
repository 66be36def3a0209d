// Long words kept in shared character buffers: taking them apart and joining to them
// must read exactly like words of chunks, whatever shares which buffer, across
// collections, and within the word memory's bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logo/interp.h"
#include "logo_harness.h"

namespace corvida::logo::long_words_test {
namespace {

// A procedure that makes a word of n copies of w by joining at its end (a buffer that
// grows in place once it is long).
constexpr const char* kGrow =
    "to grow :w :n\nmake \"g \"\nrepeat :n [make \"g word :g :w]\noutput :g\nend\n";

std::string WithGrow(const std::string& lines) {
  return kGrow + lines;
}

// Lines (some made with WithGrow) and exactly what a fresh interpreter prints for them.
struct Case {
  std::string lines;
  const char* output;
};

void Check(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(testing::RunLogo(c.lines), c.output) << c.lines;
}

TEST(LogoLongWords, TakingApartReadsTheSameAsShortWords) {
  Check({
      {WithGrow("make \"w grow \"abc 5\nprint :w print count :w"), "abcabcabcabcabc\n15\n"},
      {WithGrow("make \"w grow \"abc 5\nprint first :w print last :w print item 7 :w"),
       "a\nc\na\n"},
      {WithGrow("make \"w grow \"abc 5\nprint butfirst :w print butlast :w"),
       "bcabcabcabcabc\nabcabcabcabcab\n"},
      {WithGrow("make \"w grow \"abc 2\nprint bf bf :w print bl bl :w print bf bl :w"),
       "cabc\nabca\nbcab\n"},
      {WithGrow("make \"w grow \"ab 3\nrepeat 6 [make \"w butfirst :w] show :w show emptyp :w"),
       "\nTRUE\n"},
      {WithGrow("make \"w grow \"ab 3\nrepeat 6 [make \"w butlast :w] show :w show count :w"),
       "\n0\n"},
      {WithGrow("show item 16 grow \"abc 5"),
       "Logo Error: ITEM doesn't like [grow \"abc 5] as input\n\nAt: SHOW ITEM 16 grow \"abc 5\n"},
      {WithGrow("show equalp grow \"ab 4 \"abababab show equalp grow \"ab 4 \"abababa"),
       "TRUE\nFALSE\n"},
      {WithGrow("show memberp \"cab grow \"abc 3 show uppercase grow \"ab 3"), "TRUE\nABABAB\n"},
  });
}

TEST(LogoLongWords, GrowingAWordLeavesOtherWordsOfItsBufferAlone) {
  Check({
      // Two words joined to the same long word: the second must not see the first's end.
      {WithGrow("make \"base grow \"ab 5\nmake \"x word :base \"XY\nmake \"y word :base \"Z\n"
                "print :base print :x print :y"),
       "ababababab\nabababababXY\nabababababZ\n"},
      // A shorter word of the buffer joined to: its old end is someone else's character.
      {WithGrow("make \"w grow \"abc 4\nmake \"cut butlast :w\nmake \"more word :cut \"Q\n"
                "print :w print :cut print :more"),
       "abcabcabcabc\nabcabcabcab\nabcabcabcabQ\n"},
      // Taking the first characters off and joining at the end share one buffer.
      {WithGrow("make \"w grow \"xyz 3\nmake \"tail butfirst :w\nmake \"w word :w \"!\n"
                "print :tail print :w"),
       "yzxyzxyz\nxyzxyzxyz!\n"},
      // A word joined to itself, and several inputs at once.
      {WithGrow("make \"w grow \"ab 3\nprint word :w :w print (word :w \"_ :w \"_ 12)"),
       "abababababab\nababab_ababab_12\n"},
  });
}

// A procedure that makes "ab" n times in front of "z": each WORD shares the word before
// it, so the result is a long chain of chunks.
constexpr const char* kFront =
    "to front :n\nmake \"f \"z\nrepeat :n [make \"f word \"ab :f]\noutput :f\nend\n";

// Joining counts the last word's characters only when it is not shared; whether it is
// (a short front) or not (a longer front, a span growing in place), words read the same.
TEST(LogoLongWords, WordsBuiltFromTheFrontReadTheSameWhateverTheyShare) {
  const std::string front = kFront;
  Check({
      {front +
           "make \"w front 30\nprint (sentence count :w first :w last :w count bl :w item 31 :w)",
       "61 a z 60 a\n"},
      {front + "show (word \"abcdefgh \"xyz) show (word \"abcdefghi front 2)",
       "abcdefghxyz\nabcdefghiababz\n"},
      {front + "show count (word \"abcd \"efgh \"ijklm front 3) show word 12 front 1",
       "20\n12abz\n"},
      {WithGrow(front + "make \"s grow \"ab 4\nmake \"t word :s front 3\nprint :t print count :t "
                        "print :s"),
       "abababababababz\n15\nabababab\n"},
  });
}

TEST(LogoLongWords, NumbersEmptyWordsAndShortFrontsJoin) {
  Check({
      {"make \"w 0 make \"i 0\nrepeat 6 [make \"i :i + 1 make \"w word :w :i]\nprint :w print :w + "
       "1",
       "0123456\n123457\n"},
      {"make \"w word 12345 67890\nprint :w print count :w print butfirst :w",
       "1234567890\n10\n234567890\n"},
      {WithGrow("make \"w grow \"ab 5\nprint word \" :w print word :w \" print word \"x :w"),
       "ababababab\nababababab\nxababababab\n"},
      {WithGrow("make \"w grow \"ab 5\nprint word \"abcdefghi :w print count word :w :w"),
       "abcdefghiababababab\n20\n"},
      {WithGrow("make \"w grow \"ab 5\nprint word :w [x]"),
       "Logo Error: WORD doesn't like [x] as input\n\nAt: PRINT WORD :w [x]\n"},
      {WithGrow("make \"w grow \"ab 5\nshow list :w butfirst :w show sentence :w \"ab"),
       "[ababababab babababab]\n[ababababab ab]\n"},
  });
}

TEST(LogoLongWords, LongWordsServeAsNamesAndInstructions) {
  // A word joined with an empty word, or cut from a longer one, keeps its characters in a
  // buffer: names, properties and instructions find it all the same.
  Check({
      {"make word \"longnames \" 5\nprint :longnames print thing word \"longn \"ames", "5\n5\n"},
      {"make \"w bl bl bl bl bl word \"printprint \"\nrun (list :w 7)", "7\n"},
      {"make \"p word \"abcdefgh \"\npprop :p \"k 1\nshow gprop \"abcdefgh \"k", "1\n"},
      {"make \"t word \"_____ \"\nshow count :t show first :t show bf bf bf bf :t", "5\n_\n_\n"},
  });
}

TEST(LogoLongWords, WordsSurviveCollectionsAndTheirBuffersAreFreed) {
  testing::Harness h;
  Interpreter& in = h.interp();
  EXPECT_EQ(h.Lines(WithGrow("make \"keep grow \"abc 1000\nmake \"cut butfirst butlast :keep\n"
                             "repeat 50 [make \"junk grow \"xy 500]\nrecycle\n"
                             "print count :keep print count :cut print last :cut")),
            "3000\n2998\nb\n");
  size_t kept = in.pool().BufferBytes();
  EXPECT_GE(kept, 3000u);
  EXPECT_LT(kept, 3000u * 4 + 2000u);  // the junk words' buffers are gone
  EXPECT_EQ(h.Lines("make \"keep 0 make \"cut 0 make \"junk 0 make \"g 0 recycle"), "");
  EXPECT_EQ(in.pool().BufferBytes(), 0u);
}

TEST(LogoLongWords, WordMemoryIsBounded) {
  InterpreterConfig config;
  config.max_blocks = 20;
  testing::Harness h(config);
  // Doubling a word outgrows the bound long before a node limit would stop it.
  std::string out = h.Lines("make \"w \"abcdefgh repeat 40 [make \"w word :w :w] print \"no");
  EXPECT_EQ(out, "Logo Error: Out of space\n\nAt: MAKE \"w WORD :w :w\n");
  EXPECT_LE(h.interp().pool().BufferBytes(), 20 * kNodesPerBlock * sizeof(Node));
  // Many words that are all kept alive run out the same way.
  out = h.Lines(WithGrow("make \"all [] repeat 100000 [make \"all fput grow \"abcdefgh 4 :all]"));
  EXPECT_EQ(out.rfind("Logo Error: Out of space\n", 0), 0u) << out;
  EXPECT_LE(h.interp().pool().BufferBytes(), 20 * kNodesPerBlock * sizeof(Node));
  // Once released the memory serves again.
  EXPECT_EQ(h.Lines("make \"all [] make \"w 0 recycle print count grow \"abcdefgh 100"), "800\n");
}

}  // namespace
}  // namespace corvida::logo::long_words_test
