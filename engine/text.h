// The styled-text component of text fields: text in the Windows character set with style
// runs (font, size, style bits, colour), word-wrapped in a view rectangle, drawn into any
// bitmap, hit-tested both ways, selected, edited, cut and pasted, scrolled vertically,
// with an insertion point that blinks by the tick clock.
//
// Coordinates are those of the card: the view rectangle is where the text shows (a field's
// rectangle inset by 3), and the scroll position says how many pixels of text lie above it.
// Offsets are character positions 0..size(); a selection is [start, end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts.h"
#include "platform/gfx/draw.h"
#include "platform/types.h"

namespace corvida {

class WindowSystem;

// Characters with a meaning of their own in field text and typing.
namespace textchar {
inline constexpr uint8_t kBackspace = 0x08;
inline constexpr uint8_t kTab = 0x09;
inline constexpr uint8_t kLineFeed = 0x0A;
inline constexpr uint8_t kReturn = 0x0D;  // ends a paragraph
// The four arrow characters: typed, they move the insertion point.
inline constexpr uint8_t kArrowLeft = 0x1C;
inline constexpr uint8_t kArrowRight = 0x1D;
inline constexpr uint8_t kArrowUp = 0x1E;
inline constexpr uint8_t kArrowDown = 0x1F;
inline constexpr uint8_t kForwardDelete = 0x7F;
inline bool IsArrow(uint8_t c) {
  return c >= kArrowLeft && c <= kArrowDown;
}
}  // namespace textchar

// Tab stops every this many pixels from the view's left edge.
inline constexpr int kTabWidth = 32;
// The insertion point shows and hides every this many ticks.
inline constexpr uint32_t kCaretBlinkTicks = 31;
// The largest text a field holds; longer texts are cut there.
inline constexpr size_t kMaxTextSize = 4u << 20;

struct TextStyle {
  std::string font;          // font name (Windows characters)
  uint16_t font_number = 0;  // the number the stack's font list gives the font
  int size = kDefaultFontSize;
  uint8_t style = 0;        // font_style bits
  bool own_colour = false;  // false: the field's colour
  gfx::Rgb colour;
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// A run of characters in one style, from `start` to the next run's start.
struct StyleRun {
  uint32_t start = 0;
  TextStyle style;
  friend bool operator==(const StyleRun&, const StyleRun&) = default;
};

struct TextLine {
  uint32_t start = 0;
  uint32_t end = 0;  // one past the last character, line break included
  int top = 0;       // from the top of the text, unscrolled
  int height = 0;
  int ascent = 0;
  int width = 0;  // of the characters shown (trailing spaces and the break excluded)
};

struct ScrollValues {
  int value = 0;    // pixels of text above the view
  int maximum = 0;  // the largest value: text height less view height, at least 0
};

class TextObject {
 public:
  // `fonts` may be null: fonts with built-in metrics are used.
  TextObject(FontService* fonts, const Rect& view);
  ~TextObject();
  TextObject(const TextObject&) = delete;
  TextObject& operator=(const TextObject&) = delete;

  // --- Text and styles ---
  // Replaces text and runs; runs are tidied (sorted, first at 0, none past the end, equal
  // neighbours merged); without runs the whole text takes the default style.
  void SetText(std::string text, std::vector<StyleRun> runs = {});
  const std::string& text() const { return text_; }
  size_t size() const { return text_.size(); }
  const std::vector<StyleRun>& runs() const { return runs_; }
  const TextStyle& StyleAt(size_t offset) const;
  // Gives [start, end) one style, splitting runs as needed.
  void SetStyle(size_t start, size_t end, const TextStyle& style);
  void SetDefaultStyle(const TextStyle& style) { default_style_ = style; }
  // The colour of runs without their own (a palette index on indexed targets).
  void SetFieldColour(gfx::Color colour) { field_colour_ = colour; }
  gfx::Color field_colour() const { return field_colour_; }
  // Set by every change of the text; cleared by whoever stores it.
  bool dirty = false;

  // --- Geometry ---
  const Rect& view() const { return view_; }
  void SetView(const Rect& view);
  const std::vector<TextLine>& Lines();
  int NumLines() { return static_cast<int>(Lines().size()); }
  int LineOfOffset(size_t offset);  // the line the insertion point at offset is shown on
  int TextHeight();

  // --- Hit testing (card coordinates) ---
  bool PointInView(Point p) const { return view_.Contains(p); }
  // The insertion offset nearest to the point (clamped to the text's lines).
  size_t PointToOffset(Point p);
  // The character whose cell holds the point; size() when none does.
  size_t CharAt(Point p);
  // Top of the insertion point at offset, and its height.
  Point OffsetToPoint(size_t offset);
  int CaretHeight(size_t offset);

  // --- Selection ---
  size_t selection_start() const { return sel_start_; }
  size_t selection_end() const { return sel_end_; }
  bool HasSelection() const { return sel_start_ != sel_end_; }
  void SetSelection(size_t start, size_t end);  // clamped and ordered; anchor at start
  std::string SelectedText() const;
  // The word around the offset: letters, digits and characters of 0x80 and above.
  void WordAt(size_t offset, size_t& start, size_t& end) const;
  // Drag selection: start at a point (extending from the anchor with `extend`, by words
  // with `words`), follow the pointer (scrolling when it is above or below the view),
  // end. Returns whether the view scrolled.
  void DragStart(Point p, bool extend, bool words);
  bool DragTo(Point p);
  void DragEnd(Point p);
  bool dragging() const { return dragging_; }
  // An inactive object shows neither selection nor insertion point.
  void SetActive(bool active);
  bool active() const { return active_; }

  // --- Editing ---
  // Replaces the selection with bytes in the style of the character before it (the
  // first character's style at the start); the insertion point follows the new text.
  void Insert(std::string_view bytes);
  void InsertStyled(std::string_view bytes, const TextStyle& style);
  // Deletes the selection, or the character before (backward) or after the insertion point.
  void Delete(bool backward = true);
  // A typed character: arrows move the insertion point, backspace and delete delete,
  // return and tab and printable characters are inserted, other controls are ignored.
  // Returns whether the text changed.
  bool Key(uint8_t c);
  void Copy(WindowSystem& clipboard) const;
  void Cut(WindowSystem& clipboard);
  void Paste(WindowSystem& clipboard);

  // --- Scrolling ---
  ScrollValues GetScrollValues();
  // Sets the scroll position, clamped to 0..maximum; returns whether it moved.
  bool SetScroll(int value);
  int scroll() const { return scroll_; }
  // verb +1 / -1: one line towards the start / end; +2 / -2: one page.
  bool Scroll(int verb);
  bool ScrollPixels(int dy);  // positive: towards the end
  // Scrolls so that the insertion point at offset lies inside the view, `margin` pixels
  // from its top and bottom edges where the view allows.
  bool ScrollToView(size_t offset, int margin);

  // --- Insertion point ---
  // Called with the tick clock; returns true when the insertion point changed its look.
  bool Idle(uint32_t ticks);
  bool caret_visible() const { return caret_on_ && caret_shown_; }
  // The window lost (false) or got back (true) the keyboard focus: without it there is no
  // insertion point to see.
  void SetCaretShown(bool shown);

  // --- Drawing ---
  // Draws the text that lies in the view and in `clip` (card coordinates): the selection
  // background, the text, and the insertion point. The background is not painted.
  void Draw(gfx::DrawTarget& target, const Rect& clip);
  // Colour of the selection background.
  static constexpr gfx::Rgb kHighlight{0xA6, 0xCA, 0xF0};

 private:
  void Changed();
  void Layout();
  Font& FontFor(size_t run);
  size_t RunIndexAt(size_t offset) const;
  int Advance(size_t run, uint8_t c, int x);
  void ReplaceRange(size_t start, size_t end, std::string_view bytes, TextStyle style);
  void TidyRuns();
  int LineAtY(int text_y);
  size_t OffsetInLine(const TextLine& line, int x, bool nearest);
  int XOfOffset(const TextLine& line, size_t offset);
  void MoveVertically(int lines);
  void ResetCaret();
  int UnitHeight(bool up);

  FontService* fonts_;
  Rect view_;
  std::string text_;
  std::vector<StyleRun> runs_;
  std::vector<std::shared_ptr<Font>> run_fonts_;
  TextStyle default_style_;
  gfx::Color field_colour_ = gfx::Color::FromRgb(gfx::kBlack);
  std::vector<TextLine> lines_;
  bool layout_valid_ = false;
  size_t sel_start_ = 0;
  size_t sel_end_ = 0;
  size_t anchor_ = 0;
  size_t anchor_end_ = 0;
  bool dragging_ = false;
  bool drag_words_ = false;
  bool active_ = false;
  int scroll_ = 0;
  bool caret_on_ = true;
  bool caret_shown_ = true;
  uint32_t caret_tick_ = 0;
  bool caret_tick_set_ = false;
};

}  // namespace corvida
