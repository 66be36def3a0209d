// The multi-line entry's editing: each row starts from a text with a selection, applies
// keys and typing, and says what the text and selection are afterwards.
#include "ui/text_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "platform/messages.h"

namespace corvida {
namespace {

struct Key {
  uint32_t key;
  bool shift = false, ctrl = false;
};
struct Type {
  std::string text;
};
struct Undo {};
struct Clear {};
using Step = std::variant<Key, Type, Undo, Clear>;

struct EditCase {
  const char* what;
  std::string text;
  size_t anchor, caret;
  std::vector<Step> steps;
  std::string want;
  size_t want_anchor, want_caret;
};

void Apply(TextEntry& entry, const Step& step) {
  if (auto* k = std::get_if<Key>(&step)) entry.KeyDown(k->key, k->shift, k->ctrl);
  if (auto* t = std::get_if<Type>(&step)) entry.Insert(t->text);
  if (std::holds_alternative<Undo>(step)) entry.Undo();
  if (std::holds_alternative<Clear>(step)) entry.ClearSelection();
}

TEST(TextEntry, EditingKeysAndTyping) {
  const Key shift_left{vk::kLeft, true};
  const std::vector<EditCase> cases = {
      {"typing replaces the selection", "Enter a command", 0, 15, {Type{"fd 10"}}, "fd 10", 5, 5},
      {"typing inserts at the caret", "fd 0", 3, 3, {Type{"1"}}, "fd 10", 4, 4},
      {"CR LF and CR become one line end", "", 0, 0, {Type{"a\r\nb\rc"}}, "a\nb\nc", 5, 5},
      {"control characters are left out", "", 0, 0, {Type{"a\tb\x01\x7f"}}, "ab", 2, 2},
      {"Backspace removes the character before", "abc", 2, 2, {Key{vk::kBack}}, "ac", 1, 1},
      {"Backspace at the start does nothing", "abc", 0, 0, {Key{vk::kBack}}, "abc", 0, 0},
      {"Backspace removes the selection only", "abcd", 1, 3, {Key{vk::kBack}}, "ad", 1, 1},
      {"Delete removes the character after", "abc", 1, 1, {Key{vk::kDelete}}, "ac", 1, 1},
      {"Delete at the end does nothing", "abc", 3, 3, {Key{vk::kDelete}}, "abc", 3, 3},
      {"Backspace joins lines", "ab\ncd", 3, 3, {Key{vk::kBack}}, "abcd", 2, 2},
      {"Right collapses a selection to its end", "abcd", 3, 1, {Key{vk::kRight}}, "abcd", 3, 3},
      {"Left collapses it to its start", "abcd", 1, 3, {Key{vk::kLeft}}, "abcd", 1, 1},
      {"Shift+Left extends", "abcd", 3, 3, {shift_left, shift_left}, "abcd", 3, 1},
      {"Left stops at the start", "ab", 0, 0, {Key{vk::kLeft}}, "ab", 0, 0},
      {"Right stops at the end", "ab", 2, 2, {Key{vk::kRight}}, "ab", 2, 2},
      {"Home and End go to the line's ends",
       "ab\ncde\nf",
       4,
       4,
       {Key{vk::kHome}},
       "ab\ncde\nf",
       3,
       3},
      {"End stops before the line end", "ab\ncde\nf", 4, 4, {Key{vk::kEnd}}, "ab\ncde\nf", 6, 6},
      {"Ctrl+Home goes to the text's start",
       "ab\ncd",
       4,
       4,
       {Key{vk::kHome, false, true}},
       "ab\ncd",
       0,
       0},
      {"Ctrl+End to its end", "ab\ncd", 1, 1, {Key{vk::kEnd, false, true}}, "ab\ncd", 5, 5},
      {"Down keeps the column", "abc\ndef", 2, 2, {Key{vk::kDown}}, "abc\ndef", 6, 6},
      {"Down into a shorter line stops at its end",
       "abcd\nx",
       3,
       3,
       {Key{vk::kDown}},
       "abcd\nx",
       6,
       6},
      {"Down on the last line goes to the end", "ab\ncd", 3, 3, {Key{vk::kDown}}, "ab\ncd", 5, 5},
      {"Up keeps the column", "abc\ndef", 5, 5, {Key{vk::kUp}}, "abc\ndef", 1, 1},
      {"Up on the first line goes to the start", "abc", 2, 2, {Key{vk::kUp}}, "abc", 0, 0},
      {"Up from an empty last line", "ab\n", 3, 3, {Key{vk::kUp}}, "ab\n", 0, 0},
      {"Ctrl+A selects all", "ab\ncd", 1, 1, {Key{'A', false, true}}, "ab\ncd", 0, 5},
      {"A without Ctrl is no key of the entry", "ab", 1, 1, {Key{'A'}}, "ab", 1, 1},
      {"Clear removes the selection", "abcd", 1, 3, {Clear{}}, "ad", 1, 1},
      {"Clear without a selection does nothing", "abcd", 2, 2, {Clear{}}, "abcd", 2, 2},
      {"undo brings the text and selection back", "abcd", 1, 3, {Type{"x"}, Undo{}}, "abcd", 1, 3},
      {"undo twice redoes", "abcd", 1, 3, {Type{"x"}, Undo{}, Undo{}}, "axd", 2, 2},
      {"Ctrl+Z undoes", "ab", 2, 2, {Key{vk::kBack}, Key{'Z', false, true}}, "ab", 2, 2},
      {"undo before any change does nothing", "ab", 1, 1, {Undo{}}, "ab", 1, 1},
      {"moving does not count as a change",
       "ab",
       2,
       2,
       {Type{"c"}, Key{vk::kLeft}, Undo{}},
       "ab",
       2,
       2},
  };
  for (const EditCase& c : cases) {
    TextEntry entry;
    entry.SetText(c.text);
    entry.Select(c.anchor, c.caret);
    for (const Step& step : c.steps) Apply(entry, step);
    EXPECT_EQ(entry.text(), c.want) << c.what;
    EXPECT_EQ(entry.anchor(), c.want_anchor) << c.what;
    EXPECT_EQ(entry.caret(), c.want_caret) << c.what;
  }
}

TEST(TextEntry, NeverGrowsPastItsLimit) {
  TextEntry entry(5);
  entry.SetText("abcdefgh");
  EXPECT_EQ(entry.text(), "abcde");
  entry.Select(1, 3);  // "bc" replaced: room for two characters
  entry.Insert("12345");
  EXPECT_EQ(entry.text(), "a12de");
  entry.Insert("x");  // full, nothing selected: nothing changes, nothing to undo
  EXPECT_EQ(entry.text(), "a12de");
  entry.Undo();
  EXPECT_EQ(entry.text(), "abcde");
}

TEST(TextEntry, SelectionsBeyondTheTextAreCutToIt) {
  TextEntry entry;
  entry.SetText("abc");
  entry.Select(99, 1);
  EXPECT_EQ(entry.anchor(), 3u);
  EXPECT_EQ(entry.SelectedText(), "bc");
  EXPECT_EQ(entry.LineCount(), 1u);
  EXPECT_EQ(entry.LineStart(7), 0u) << "a line past the last is the last";
}

}  // namespace
}  // namespace corvida
