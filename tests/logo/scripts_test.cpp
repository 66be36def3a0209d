// Tarrow lines with the exact output they must print, grouped by topic. Each case runs on
// a fresh interpreter, every line as typed at the top level.
#include <gtest/gtest.h>

#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Case;
using testing::Check;

TEST(LogoScripts, NumberPrinting) {
  Check({
      {"print 3.14", "3.14\n"},
      {"print 1000000.0", "1000000\n"},
      {"print 1000000.5", "1.000000500000000e+06\n"},
      {"print .005", "5.000000000000000e-03\n"},
      {"print 6 / 3", "2\n"},
      {"print 7 / 2", "3.5\n"},
      {"print 1 / 10", "0.1\n"},
      {"print -2.5 * 1", "-2.5\n"},
      {"print 0007", "7\n"},
      {"print 00.5", "0.5\n"},
      {"print 0 * 1.5", "0\n"},
      {"print 12345678901", "1.234567890100000e+10\n"},
      {"print 1234567890123456789012345",
       "1.234567890123457e+18\nLogo Error: You didn't say what to do with 12345\n\n"
       "At: PRINT 1.234567890123457e+18 12345\n"},
      {"print 2.4999999999", "2.5\n"},  // nine decimals at most
      {"print 2.9999999999", "3\n"},
  });
}

TEST(LogoScripts, PrecedenceAndOperators) {
  Check({
      {"print 2 + 3 * 4", "14\n"},
      {"print (2 + 3) * 4", "20\n"},
      {"print 2147483647 + 1", "-2147483648\n"},
      {"print 65536 * 65536", "0\n"},
      {"print 3 - 4", "-1\n"},
      {"print 3-4", "-1\n"},
      {"print 3 -4", "3\nLogo Error: You didn't say what to do with -4\n\nAt: PRINT 3 -4\n"},
      {"print - 3 + 5", "2\n"},
      {"print 1 < 2", "TRUE\n"},
      {"print 2.5 > 3", "FALSE\n"},
      {"print 1 + 1 = 2", "TRUE\n"},
      {"print \"12 = 12", "TRUE\n"},
      {"print 2 = 2.0", "TRUE\n"},
      {"print \"abc = \"ABC", "FALSE\n"},
      {"print [a [b]] = [a [b]]", "TRUE\n"},
      {"print sum 1 2 * 3", "7\n"},
      {"print (sum 1 2 3)", "6\n"},
      {"print \"a + 1", "Logo Error: + doesn't like \"a as input\n\nAt: PRINT \"a + 1\n"},
      {"print 1 +", "Logo Error: Too few items in expression\n\nAt: PRINT 1 +\n"},
  });
}

TEST(LogoScripts, PrintTypeShow) {
  Check({
      {"print [a [b c]]", "a [b c]\n"},
      {"show [a [b c]]", "[a [b c]]\n"},
      {"(print 1 2 3)", "1 2 3\n"},
      {"type \"a type \"b print \"c", "abc\n"},
      {"(type 1 2) print []", "12\n"},
      {"show \"abc", "abc\n"},
      {"print \"abc;def", "abc;def\n"},
      {"print 12;def", "12\n"},
      {"print 'hello world'", "hello world\n"},
      {"print '\\x41'", "A\n"},
      {"print \"a\\ b", "a b\n"},
      {"print [a [b c] d]", "a [b c] d\n"},
      {"print [a [b", "a [b]\n"},
      {"print [a] ] print 2", "a\n"},
      {"(print)", "\n"},
  });
}

TEST(LogoScripts, ProceduresAndLocals) {
  Check({
      {"to sq :x\noutput :x * :x\nend\nprint sq 12", "144\n"},
      {"TO Greet\nprint \"hi\nEnd\ngreet GREET", "hi\nhi\n"},
      {"to f\nend\nprint f", "Logo Error: Not enough inputs to PRINT\n\nAt: PRINT f\n"},
      {"to f :a :b\nprint :a - :b\nend\nf 10 3", "7\n"},
      {"to f :a\nprint :a\nend\nf", "Logo Error: Not enough inputs to f\n\nAt: f\n"},
      {"to inner\nprint :v\nend\nto outer\nlocal \"v\nmake \"v 1\ninner\nend\nmake \"v 2\nouter"
       "\nprint :v",
       "2\n2\n"},
      {"to f\nlocal \"q\nprint namep \"q\nprint thing \"q\nend\nf",
       "TRUE\nLogo Error: Not enough inputs to PRINT\n\nAt: PRINT THING \"q\n"},
      {"to f :x\nmake \"x :x + 1\noutput :x\nend\nmake \"x 10\nprint f 1\nprint :x", "2\n10\n"},
      {"nosuch 1 print 2", "Logo Error: I don't know how to nosuch\n\nAt: nosuch 1 print 2\n"},
      {"to fd\nprint 1\nend", "Logo Error: \"fd is a primitive\n\nAt: TO fd\n"},
      {"output 3", "Logo Error: Can only do that in a procedure\n\nAt: OUTPUT 3\n"},
      {"to f\nprint 1\nprint 2", "Logo Error: You used a TO without an END\n\nAt: TO f\n"},
      {"to f\noutput 1 2\nend\nprint f", "1\n"},
      {"to f\n3\nprint \"no\nend\nf", "Logo Error: You didn't say what to do with 3\n\nAt: 3\n"},
  });
}

TEST(LogoScripts, ControlPrimitives) {
  Check({
      {"repeat 3 [type \"x] print \"", "xxx\n"},
      {"repeat 0 [print 1]", ""},
      {"repeat -1 [print 1]",
       "Logo Error: REPEAT doesn't like -1 as input\n\nAt: REPEAT -1 [print 1]\n"},
      {"if 1 = 1 [print \"yes] [print \"no]", "yes\n"},
      {"if \"false [print \"yes] [print \"no]", "no\n"},
      {"print if \"true [\"a] [\"b]", "a\n"},
      {"if \"true [print \"yes] print \"no",
       "Logo Error: IF doesn't like [print \"no] as input\n\nAt: IF \"true [print \"yes] print "
       "\"no\n"},
      {"if 3 [print 1]", "Logo Error: 3 is not TRUE or FALSE\n\nAt: IF 3 [print 1]\n"},
      {"make \"i 0 while :i < 3 [make \"i :i + 1 type :i] print \"", "123\n"},
      {"make \"i 0 dountil [make \"i :i + 1 type :i] :i = 3 print \"", "123\n"},
      {"run [print 1 print 2]", "1\n2\n"},
      {"print run [sum 1 2]", "3\n"},
      {"to g\nmake \"r 0\nlabel \"top\nmake \"r :r + 1\nif :r < 5 [go \"top]\noutput :r\nend\n"
       "print g",
       "5\n"},
      {"to g\ngo \"nowhere\nend\ng",
       "Logo Error: Can't find the label \"nowhere\n\nAt: GO \"nowhere\n"},
      {"to t :x\ntest :x > 0\niftrue [print \"pos]\niff [print \"neg]\nend\nt 1 t -1",
       "pos\nneg\n"},
      {"print 1 toplevel print 2", "1\n"},
      {"print version", "2 6 0 Windows 2.6.0\n"},
      {"wait 60 print \"done", "done\n"},
  });
}

TEST(LogoScripts, CatchAndThrow) {
  Check({
      {"catch \"error [print 1 / 0] print error", "13\n"},
      {"catch \"error [print 1 / 0 print \"no] print \"after", "after\n"},
      {"throw \"x", "Logo Error: Can't find catch for \"x\n\nAt: THROW \"x\n"},
      {"catch \"foo [throw \"foo print \"no] print \"yes", "yes\n"},
      {"to thrower\nthrow \"Foo\nprint \"no\nend\ncatch \"foo [thrower print \"no] print \"yes",
       "yes\n"},
      {"to a\ncatch \"x [b]\nprint \"in.a\noutput 7\nend\nto b\nc\nprint \"no\nend\n"
       "to c\nthrow \"x\nend\nprint a",
       "in.a\n7\n"},
      {"catch \"outer [catch \"inner [throw \"outer] print \"no] print \"out", "out\n"},
      {"catch \"error [nosuch] print error", "35\n"},
      {"catch \"error [print \"ok] print 2", "ok\n2\n"},
  });
}

TEST(LogoScripts, ErrorsShowOnlyTheFirstAndCutLongLines) {
  Check({
      {"print (sum 1 / 0 \"a)", "Logo Error: Can't divide by 0\n\nAt: PRINT ( SUM 1 / 0 \"a )\n"},
      {"print thing \"nosuch", "Logo Error: \"nosuch is undefined\n\nAt: PRINT THING \"nosuch\n"},
      {"print :nosuch", "Logo Error: \"nosuch is undefined\n\nAt: PRINT :nosuch\n"},
      {"say \"hi",
       "Logo Error: SAY is a reserved primitive for future expansion\n\nAt: SAY \"hi\n"},
      {"print sum 1 2 3",
       "3\nLogo Error: You didn't say what to do with 3\n\nAt: PRINT SUM 1 2 3\n"},
      // A list operand takes no arithmetic: the '+' is read as the next instruction.
      {"print [a b] + 1", "a b\nLogo Error: I don't know how to +\n\nAt: PRINT [a b] + 1\n"},
      {"print 1 + [a b]", "Logo Error: + doesn't like [a b] as input\n\nAt: PRINT 1 + [a b]\n"},
      {"print \"a\\[b 1 / 0", "a[b\nLogo Error: Can't divide by 0\n\nAt: PRINT \"a\\[b 1 / 0\n"},
  });
  std::string line = "print 1 / 0 ;" + std::string(300, 'x');
  std::string out = testing::RunLogo(line);
  // No comment reaches the line text; a long line is cut after 255 characters.
  EXPECT_EQ(out, "Logo Error: Can't divide by 0\n\nAt: PRINT 1 / 0\n");
  std::string words = "print 1 / 0";
  for (int i = 0; i < 100; ++i) words += " \"abc";
  out = testing::RunLogo(words);
  size_t at = out.find("At: ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(out.size() - at - 4, 255u + 1);  // 255 characters and the newline
}

TEST(LogoScripts, Arithmetic) {
  Check({
      {"print sum 2147483647 1", "-2147483648\n"},
      {"print sum 2147483647 1.0", "2.147483648000000e+09\n"},
      {"print intquotient -7 2", "-3\n"},
      {"print remainder -7 2", "-1\n"},
      {"print intquotient -2147483648 -1", "-2147483648\n"},
      {"print remainder -2147483648 -1", "0\n"},
      {"print round -2.5", "-2\n"},
      {"print int -2.7", "-2\n"},
      {"print int 1e20", "2147483647\n"},
      {"print int sqrt -1", "Logo Error: SQRT doesn't like -1 as input\n\nAt: PRINT INT SQRT -1\n"},
      {"print arctan2 0 1", "0\n"},
      {"print arctan2 1 0", "90\n"},
      {"print arctan2 0 -1", "180\n"},
      {"print arctan2 -1 0", "270\n"},
      {"print arctan2 1e-12 1", "0\n"},
      {"print form 3.14159 8 2", "    3.14\n"},
      {"print form 0 8 2", "0.00E+00\n"},
      {"print (product)", "1\n"},
      {"print difference 5 7.5", "-2.5\n"},
      {"print abs -3", "3\n"},
      {"print abs \"x", "0\n"},
      {"print power 2 10", "1024\n"},
      {"print sin 30", "0.5\n"},
      {"print and \"true \"maybe",
       "Logo Error: AND doesn't like \"maybe as input\n\nAt: PRINT AND \"true \"maybe\n"},
      {"print (or \"false \"false \"true)", "TRUE\n"},
      {"print not \"TRUE", "FALSE\n"},
      {"print quotient 1 0", "Logo Error: Can't divide by 0\n\nAt: PRINT QUOTIENT 1 0\n"},
      {"print sum \"12abc 1", "13\n"},
      {"print sum [1] 1", "Logo Error: SUM doesn't like [1] as input\n\nAt: PRINT SUM [1] 1\n"},
  });
}

TEST(LogoScripts, RandomRepeatsAfterRerandom) {
  testing::Harness h;
  std::string first = h.Lines("print random 100 print random 100");
  std::string again = h.Lines("rerandom print random 100 print random 100");
  EXPECT_EQ(first, again);
  // Draws follow the classic generator: state * 214013 + 2531011, bits 16 to 30.
  EXPECT_EQ(testing::Harness().Lines("print random 32768"), "41\n");
  EXPECT_EQ(testing::Harness().Lines("print random 0"),
            "Logo Error: RANDOM doesn't like 0 as input\n\nAt: PRINT RANDOM 0\n");
  std::string big = testing::Harness().Lines("print random 1000000");
  EXPECT_EQ(big, std::to_string((41u * 32768u + 18467u) % 1000000u) + "\n");
}

// RANDOMIZE moves a drawn remaining element (draw modulo the count left, in list order) to
// the front of the result; a word swaps each position in turn with a drawn one.
TEST(LogoScripts, RandomizeShufflesAsTheGeneratorDraws) {
  uint32_t state = 1;  // the harness's seed
  auto draw = [&state] {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
  };
  std::vector<int> left(50), shuffled;
  for (int i = 0; i < 50; ++i) left[size_t(i)] = i + 1;
  while (!left.empty()) {
    const size_t i = draw() % left.size();
    shuffled.insert(shuffled.begin(), left[i]);
    left.erase(left.begin() + long(i));
  }
  std::string expected = "[";
  for (int n : shuffled) expected += std::to_string(n) + " ";
  expected.back() = ']';
  testing::Harness h;
  EXPECT_EQ(h.Lines("make \"l [] make \"i 51 repeat 50 [make \"i :i - 1 make \"l fput :i :l]\n"
                    "show randomize :l"),
            expected + "\n");
  testing::Check({
      {"show randomize [a b c d] show randomize \"abcd", "[c a d b]\nabdc\n"},
      {"show randomize [] show randomize [x] show randomize 12", "[]\n[x]\n12\n"},
  });
  // A long list shuffles in about the time it takes to build.
  EXPECT_EQ(h.Lines("make \"l [x] repeat 17 [make \"l se :l :l]\n"
                    "make \"r randomize :l show count :r show first :r show equalp :r :l"),
            "131072\nx\nTRUE\n");
}

TEST(LogoScripts, WordsAndLists) {
  Check({
      {"print first [a b c]", "a\n"},
      {"print butfirst [a]", "\n"},
      {"print count [a b c]", "3\n"},
      {"print fput \"x []", "x\n"},
      {"show lput \"x [a b]", "[a b x]\n"},
      {"print word \"ab \"cd", "abcd\n"},
      {"show (list 1 [2] \"three)", "[1 [2] three]\n"},
      {"show se [a b] \"c", "[a b c]\n"},
      {"print item 5 \"abcdefg", "e\n"},
      {"print emptyp []", "TRUE\n"},
      {"print wordp 3", "TRUE\n"},
      {"print wordp 3.5", "TRUE\n"},
      {"print equalp \"12 12", "TRUE\n"},
      {"make \"x [print 1] run :x show :x", "1\n[PRINT 1]\n"},
  });
}

TEST(LogoScripts, ScriptStopsAtItsFirstError) {
  testing::Harness h;
  EXPECT_EQ(h.Script("print 1\nprint 1 / 0\nprint 3"),
            "1\nLogo Error: Can't divide by 0\n\nAt: PRINT 1 / 0\n");
  // The next script starts afresh and procedures persist.
  EXPECT_EQ(h.Script("to f\noutput 5\nend\nprint f"), "5\n");
  EXPECT_EQ(h.Script("print f"), "5\n");
  // CR LF line ends read as lines with empty lines between them.
  EXPECT_EQ(h.Script("print 1\r\nprint 2\r\n"), "1\n2\n");
}

}  // namespace
}  // namespace corvida::logo
