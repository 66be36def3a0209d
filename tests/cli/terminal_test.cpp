// Text from stacks on the terminal: controls become visible escapes, the rest stays.
#include "apps/terminal.h"

#include <gtest/gtest.h>

namespace corvida::app {
namespace {

TEST(EscapeControls, ControlsAndBrokenBytesBecomeVisibleTheRestStays) {
  const std::pair<std::string, std::string> table[] = {
      {"Card 1", "Card 1"},
      {"Nächste Karte €", "Nächste Karte €"},  // printable UTF-8 stays
      {"C:\\Stacks\\a.stk", "C:\\Stacks\\a.stk"},
      {"a\nb\r\tc", "a\\nb\\r\\tc"},
      {"\x1b[31mred", "\\e[31mred"},
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"bell\x07 del\x7f", "bell\\x07 del\\x7f"},
      {"\xc2\x9b"
       "2J",
       "\\u{9b}2J"},                        // the one-byte CSI of C1, UTF-8 encoded
      {"\xc2\x85", "\\u{85}"},              // next line
      {"\xff\xfe", "\\xff\\xfe"},           // not UTF-8
      {"\xc3", "\\xc3"},                    // cut sequence
      {"\xc0\x8a", "\\xc0\\x8a"},           // overlong newline
      {"\xed\xa0\x80", "\\xed\\xa0\\x80"},  // a surrogate
      {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
  };
  for (const auto& [text, shown] : table) EXPECT_EQ(EscapeControls(text), shown) << shown;
}

TEST(JsonText, ControlsInStringsBecomeUnicodeEscapesTheRestStays) {
  const std::pair<std::string, std::string> table[] = {
      {"Card 1", "\"Card 1\""},
      {"Nächste €", "\"Nächste €\""},
      {"\x1b[2J", "\"\\u001b[2J\""},
      {"a\nb", "\"a\\nb\""},
      {"del\x7f", "\"del\\u007f\""},
      {"\xc2\x9b"
       "2J",
       "\"\\u009b2J\""},
      {"\xc2\x85\xc2\x80", "\"\\u0085\\u0080\""},
      {"\xc2\xa0", "\"\xc2\xa0\""},  // no-break space is printable
  };
  for (const auto& [text, shown] : table) {
    EXPECT_EQ(JsonText(text), shown) << shown;
    EXPECT_EQ(nlohmann::json::parse(JsonText(text)), text) << shown;
  }
}

}  // namespace
}  // namespace corvida::app
