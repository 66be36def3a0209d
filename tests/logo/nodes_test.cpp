// Node memory: words in chunks, the collector with held values and roots, number texts
// and the number readers.
#include <gtest/gtest.h>

#include <cmath>

#include "logo/interp.h"
#include "logo/reader.h"
#include "logo_harness.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

int Chunks(const Node* w) {
  int n = 0;
  for (; w; w = w->link) ++n;
  return n;
}

TEST(LogoNodes, WordsTakeFourCharactersPerChunkAndCompareWithoutCase) {
  testing::Harness h;
  Interpreter& in = h.interp();
  Node* four = in.MakeWord("abcd");
  Node* five = in.MakeWord("abcde");
  EXPECT_EQ(Chunks(four), 1);
  EXPECT_EQ(Chunks(five), 2);
  EXPECT_EQ(WordChars(five), "abcde");
  EXPECT_EQ(four->flags, NF_HELD | NF_WORD);
  EXPECT_EQ(Chunks(in.false_node()), 2);
  Node* typed = in.MakeWord("false");
  EXPECT_EQ(CompareWordsNoCase(typed, in.false_node()), 0);
  EXPECT_TRUE(in.IsFalse(typed));
  EXPECT_EQ(WordChars(in.MakeWord("")), "");
  EXPECT_EQ(Chunks(in.MakeWord("")), 1);
  // Mac Roman letters fold too: a with diaeresis (0x8A) matches its capital (0x80).
  EXPECT_EQ(CompareWordsNoCase(in.MakeWord("\x8A"), in.MakeWord("\x80")), 0);
  // Characters from 128 up sort before ASCII.
  EXPECT_LT(CompareWordsNoCase(in.MakeWord("\xA5"), in.MakeWord("A")), 0);
}

TEST(LogoNodes, HeldValuesSurviveCollectionUntilReleased) {
  testing::Harness h;
  Interpreter& in = h.interp();
  in.Collect();
  size_t free_before = in.pool().CountFree();
  Node* list = in.Cons(in.MakeWord("survivor"), in.Cons(in.NewInt(7), nullptr));
  in.Hold(list);
  in.Collect();
  EXPECT_EQ(in.pool().CountFree(), free_before - 5);
  EXPECT_EQ(WordChars(list->elem), "survivor");
  EXPECT_EQ(list->link->elem->ival, 7);
  in.Release(list);
  in.Collect();
  EXPECT_EQ(in.pool().CountFree(), free_before);
  // NODES right after RECYCLE counts the free nodes of all blocks.
  std::string out = h.Lines("recycle nodes");
  EXPECT_EQ(out, "There are " + std::to_string(in.pool().CountFree()) + " free nodes.\n");
}

TEST(LogoNodes, VariablesProceduresAndFramesAreRoots) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"keep [a [b c] \"d 12.5]\nto f\noutput \"x\nend\nrecycle\n"
                    "repeat 20 [make \"junk (list 1 2 3 4 5 6 7 8 9 10)]\nrecycle\n"
                    "show :keep print f"),
            "[a [b c] \"d 12.5]\nx\n");
  // Erasing the running procedure does not free the lines it is running.
  EXPECT_EQ(h.Lines("to g\nerase \"g\nrecycle\nrepeat 300 [make \"junk (list 1 2 3 4 5 6 7)]\n"
                    "recycle\nprint \"still.here\nend\ng\nprint definedp \"g"),
            "still.here\nFALSE\n");
}

TEST(LogoNodes, ValuesInTheMakingSurviveCollectionsTheyCause) {
  // Small pool: building a long list collects many times while it grows.
  InterpreterConfig config;
  config.max_blocks = 200;
  testing::Harness h(config);
  EXPECT_EQ(h.Lines("make \"l []\nrepeat 20000 [make \"l fput repcount.like :l]\n"),
            "Logo Error: I don't know how to repcount.like\n\nAt: MAKE \"l FPUT repcount.like "
            ":l\n");
  EXPECT_EQ(h.Lines("make \"i 0 make \"l []\n"
                    "repeat 20000 [make \"i :i + 1 make \"l fput (word \"item :i) :l]\n"
                    "print count :l print first :l print last :l"),
            "20000\nitem20000\nitem1\n");
}

TEST(LogoNodes, AnInputSurvivesItsVariableChangingDuringLaterInputs) {
  testing::Harness h;
  EXPECT_EQ(h.Lines("to clobber\nmake \"x 0\nrecycle\n"
                    "repeat 50 [make \"junk (list 1 2 3 4 5 6 7 8 9)]\noutput 1\nend\n"
                    "make \"x (list \"a \"b (word \"c \"d))\nshow (list :x clobber)"),
            "[[a b cd] 1]\n");
}

TEST(LogoNodes, ExhaustedPoolReportsOutOfSpace) {
  InterpreterConfig config;
  config.max_blocks = 20;
  testing::Harness h(config);
  std::string out = h.Lines("make \"l [] repeat 100000 [make \"l fput 1 :l] print \"no");
  EXPECT_EQ(out, "Logo Error: Out of space\n\nAt: MAKE \"l FPUT 1 :l\n");
  EXPECT_LE(h.interp().pool().CountTotal(), 20 * kNodesPerBlock);
}

TEST(LogoNodes, NumberTexts) {
  Node n{};
  n.flags = NF_FLOAT;
  auto text = [&](double x) {
    n.fval = x;
    return NumberText(&n);
  };
  EXPECT_EQ(text(1000000.0), "1000000");
  EXPECT_EQ(text(1000000.5), "1.000000500000000e+06");
  EXPECT_EQ(text(0.005), "5.000000000000000e-03");
  EXPECT_EQ(text(3.14), "3.14");
  EXPECT_EQ(text(2.0), "2");
  EXPECT_EQ(text(-2.5), "-2.5");
  EXPECT_EQ(text(-0.0), "0");
  EXPECT_EQ(text(0.1), "0.1");
  EXPECT_EQ(text(-999999.9999999999), "-1000000");
  n.flags = NF_INT;
  n.ival = INT32_MIN;
  EXPECT_EQ(NumberText(&n), "-2147483648");
  EXPECT_EQ(SaturatingInt(std::nan("")), 0);
  EXPECT_EQ(SaturatingInt(1e300), INT32_MAX);
  EXPECT_EQ(SaturatingInt(-1e300), INT32_MIN);
  EXPECT_EQ(SaturatingInt(-2.9), -2);
}

TEST(LogoNodes, NumericWordsAndNumberReaders) {
  testing::Harness h;
  Interpreter& in = h.interp();
  for (const char* yes : {"12", "12abc", "\"-3.5", ".5", "1e5", "1E-5", "-.", "2.5e+10"})
    EXPECT_TRUE(NumericWord(in.MakeWord(yes))) << yes;
  for (const char* no : {"abc", "-", "1e", "1e5x", "--1", "", "e5"})
    EXPECT_FALSE(NumericWord(in.MakeWord(no))) << no;
  EXPECT_EQ(in.GetInteger(in.MakeWord("12abc"), kSilent), 12);
  EXPECT_EQ(in.GetInteger(in.MakeWord("\"99999999999"), kSilent), INT32_MAX);
  EXPECT_DOUBLE_EQ(in.GetFloat(in.MakeWord("2.5xyz"), kSilent), 2.5);
  EXPECT_EQ(in.GetInteger(in.NewFloat(-7.9), kSilent), -7);
  EXPECT_EQ(h.errors(), 0);
  // A list reports error 41 under the primitive's name; -1 reports the math message.
  EXPECT_EQ(h.Lines("print int [1]"),
            "Logo Error: INT doesn't like [1] as input\n\nAt: PRINT INT [1]\n");
  Node* list = Tokenize(in, "[1]")->elem;
  in.error_flag = false;
  in.GetInteger(list, kMathError);
  EXPECT_EQ(h.errors(), 2);
}

TEST(LogoNodes, ReaderTokens) {
  testing::Harness h;
  Interpreter& in = h.interp();
  auto show = [&](const char* text) { return in.ShowForm(Tokenize(in, text)); };
  EXPECT_EQ(show("[a [b c] d]"), "[[a [b c] d]]");
  EXPECT_EQ(show("3 -4"), "[3 -4]");
  EXPECT_EQ(show("3 - 4"), "[3 - 4]");
  EXPECT_EQ(show("3-4"), "[3 - 4]");
  EXPECT_EQ(show("(-4)"), "[( -4 )]");
  EXPECT_EQ(show("a/b a;b"), "[a/b a;b]");
  EXPECT_EQ(show("print \"abc+1"), "[print \"abc + 1]");
  EXPECT_EQ(show("12abc"), "[12 abc]");
  EXPECT_EQ(show("   ; only a comment"), "[]");
  EXPECT_EQ(show("\"\\x4a\\x4 \"\\xg"), "[\"J\x04 \"xg]");
  EXPECT_EQ(show("'two words' \""), "[\"two words \"]");
  EXPECT_EQ(Tokenize(in, ""), in.empty_list());
  Node* big = Tokenize(in, "99999999999")->elem;
  EXPECT_TRUE(big->IsFloat());
  Node* seven = Tokenize(in, "0007")->elem;
  EXPECT_TRUE(seven->IsInt());
  EXPECT_EQ(seven->ival, 7);
}

}  // namespace
}  // namespace corvida::logo

namespace corvida::logo {
namespace {

TEST(LogoNodes, NameBucketsWrapWithoutOverflow) {
  testing::Harness h;
  Interpreter& in = h.interp();
  // Characters from 128 up multiply as negative 8-bit values; the hash wraps at 16 bits.
  int b = Interpreter::NameBucket(in.MakeWord("\xff\xff\xff\xff\xff"));
  EXPECT_GE(b, 0);
  EXPECT_LT(b, 7);
  EXPECT_EQ(Interpreter::NameBucket(in.MakeWord("abc")),
            Interpreter::NameBucket(in.MakeWord("ABC")));
  EXPECT_EQ(h.Lines("make \"\xff\xfe\xfd\xfc 3 print :\xff\xfe\xfd\xfc"), "3\n");
}

}  // namespace
}  // namespace corvida::logo
