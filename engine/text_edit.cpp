// The text component: selection, editing, the clipboard, scrolling and the insertion point.
#include <algorithm>
#include <cctype>

#include "engine/text.h"
#include "platform/window.h"

namespace corvida {

namespace {

bool IsWordChar(uint8_t c) {
  return std::isalnum(c) || c >= 0x80;
}

}  // namespace

// --- Selection ---

void TextObject::SetSelection(size_t start, size_t end) {
  start = std::min(start, text_.size());
  end = std::min(end, text_.size());
  if (end < start) std::swap(start, end);
  sel_start_ = anchor_ = start;
  sel_end_ = anchor_end_ = end;
  ResetCaret();
}

std::string TextObject::SelectedText() const {
  return text_.substr(sel_start_, sel_end_ - sel_start_);
}

void TextObject::WordAt(size_t offset, size_t& start, size_t& end) const {
  offset = std::min(offset, text_.size());
  start = end = offset;
  auto word = [&](size_t i) { return IsWordChar(static_cast<uint8_t>(text_[i])); };
  if (offset < text_.size() && !word(offset)) {
    end = offset + 1;  // a single other character is a word of its own
    return;
  }
  while (start > 0 && word(start - 1)) --start;
  while (end < text_.size() && word(end)) ++end;
}

void TextObject::DragStart(Point p, bool extend, bool words) {
  size_t at = PointToOffset(p);
  dragging_ = true;
  drag_words_ = words;
  if (!extend) {
    anchor_ = anchor_end_ = at;
    if (words) WordAt(at, anchor_, anchor_end_);
  }
  DragTo(p);
}

bool TextObject::DragTo(Point p) {
  if (!dragging_) return false;
  bool scrolled = false;
  if (p.y < view_.top) scrolled = Scroll(+1);
  if (p.y >= view_.bottom) scrolled = Scroll(-1);
  size_t at = PointToOffset(p);
  size_t from = at, to = at;
  if (drag_words_) WordAt(at, from, to);
  sel_start_ = std::min(anchor_, from);
  sel_end_ = std::max(anchor_end_, to);
  ResetCaret();
  return scrolled;
}

void TextObject::DragEnd(Point p) {
  DragTo(p);
  dragging_ = false;
}

void TextObject::SetActive(bool active) {
  active_ = active;
  if (!active) dragging_ = false;
  ResetCaret();
}

// --- Editing ---

// The style is a copy: callers pass styles of runs that this call replaces.
void TextObject::ReplaceRange(size_t start, size_t end, std::string_view bytes, TextStyle style) {
  start = std::min(start, text_.size());
  end = std::clamp(end, start, text_.size());
  const size_t room = kMaxTextSize - (text_.size() - (end - start));
  if (bytes.size() > room) bytes = bytes.substr(0, room);
  if (start == end && bytes.empty()) return;

  if (end > start) {
    const TextStyle first = StyleAt(start);
    const size_t n = end - start;
    for (StyleRun& r : runs_) {
      if (r.start >= end) {
        r.start -= static_cast<uint32_t>(n);
      } else if (r.start > start) {
        r.start = static_cast<uint32_t>(start);
      }
    }
    text_.erase(start, n);
    if (text_.empty()) runs_ = {{0, first}};
    TidyRuns();
  }
  if (!bytes.empty()) {
    const uint32_t at = static_cast<uint32_t>(start);
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    size_t k = RunIndexAt(start);
    if (runs_[k].style == style) {
      for (size_t j = k + 1; j < runs_.size(); ++j) runs_[j].start += n;
    } else {
      for (size_t j = k + 1; j < runs_.size(); ++j) runs_[j].start += n;
      if (runs_[k].start == at) {
        runs_.insert(runs_.begin() + static_cast<long>(k), StyleRun{at, style});
        runs_[k + 1].start += n;
      } else {
        StyleRun rest{at + n, runs_[k].style};
        runs_.insert(runs_.begin() + static_cast<long>(k) + 1, {StyleRun{at, style}, rest});
      }
    }
    text_.insert(start, bytes);
    TidyRuns();
  }
  dirty = true;
  Changed();
  sel_start_ = sel_end_ = anchor_ = anchor_end_ = start + bytes.size();
  ResetCaret();
}

void TextObject::Insert(std::string_view bytes) {
  size_t from = HasSelection() ? sel_start_ : (sel_start_ > 0 ? sel_start_ - 1 : 0);
  InsertStyled(bytes, StyleAt(from));
}

void TextObject::InsertStyled(std::string_view bytes, const TextStyle& style) {
  ReplaceRange(sel_start_, sel_end_, bytes, style);
}

void TextObject::Delete(bool backward) {
  if (HasSelection()) {
    ReplaceRange(sel_start_, sel_end_, {}, StyleAt(sel_start_));
  } else if (backward && sel_start_ > 0) {
    ReplaceRange(sel_start_ - 1, sel_start_, {}, StyleAt(sel_start_ - 1));
  } else if (!backward && sel_start_ < text_.size()) {
    ReplaceRange(sel_start_, sel_start_ + 1, {}, StyleAt(sel_start_));
  }
}

void TextObject::MoveVertically(int lines) {
  size_t from = lines < 0 ? sel_start_ : sel_end_;
  const int line = LineOfOffset(from);
  const int x = XOfOffset(Lines()[static_cast<size_t>(line)], from);
  const int target = line + lines;
  size_t to;
  if (target < 0) {
    to = 0;
  } else if (target >= NumLines()) {
    to = text_.size();
  } else {
    to = OffsetInLine(Lines()[static_cast<size_t>(target)], x, true);
  }
  SetSelection(to, to);
}

bool TextObject::Key(uint8_t c) {
  using namespace textchar;
  switch (c) {
    case kArrowLeft: {
      size_t to = HasSelection() ? sel_start_ : (sel_start_ > 0 ? sel_start_ - 1 : 0);
      SetSelection(to, to);
      return false;
    }
    case kArrowRight: {
      size_t to = HasSelection() ? sel_end_ : std::min(sel_end_ + 1, text_.size());
      SetSelection(to, to);
      return false;
    }
    case kArrowUp:
      MoveVertically(-1);
      return false;
    case kArrowDown:
      MoveVertically(+1);
      return false;
    case kBackspace:
    case kForwardDelete: {
      const size_t before = text_.size();
      const bool had_selection = HasSelection();
      Delete(c == kBackspace);
      return had_selection || text_.size() != before;
    }
    case kLineFeed:
      return false;
    default:
      break;
  }
  if (c < 0x20 && c != kReturn && c != kTab) return false;
  const char ch = static_cast<char>(c);
  Insert(std::string_view(&ch, 1));
  return true;
}

void TextObject::Copy(WindowSystem& clipboard) const {
  if (!HasSelection()) return;
  // The clipboard holds lines ended by CR LF.
  std::string out;
  for (char c : SelectedText()) {
    out += c;
    if (c == '\r') out += '\n';
  }
  clipboard.SetClipboardText(out);
}

void TextObject::Cut(WindowSystem& clipboard) {
  if (!HasSelection()) return;
  Copy(clipboard);
  Delete();
}

void TextObject::Paste(WindowSystem& clipboard) {
  const std::string in = clipboard.ClipboardText();
  std::string text;
  text.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(in[i]);
    if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      text += '\r';
    } else if (c >= 0x20 || c == '\t') {
      text += static_cast<char>(c);
    }
  }
  if (!text.empty() || HasSelection()) Insert(text);
}

// --- Scrolling ---

ScrollValues TextObject::GetScrollValues() {
  ScrollValues v;
  v.maximum = std::max(0, TextHeight() - view_.Height());
  scroll_ = std::clamp(scroll_, 0, v.maximum);
  v.value = scroll_;
  return v;
}

bool TextObject::SetScroll(int value) {
  const int before = scroll_;
  scroll_ = value;
  GetScrollValues();
  return scroll_ != before;
}

int TextObject::UnitHeight(bool up) {
  GetScrollValues();
  if (up) {
    if (scroll_ <= 0) return 0;
    const TextLine& line = Lines()[static_cast<size_t>(LineAtY(scroll_ - 1))];
    return scroll_ - line.top;
  }
  const TextLine& line = Lines()[static_cast<size_t>(LineAtY(scroll_))];
  return std::max(1, line.top + line.height - scroll_);
}

bool TextObject::Scroll(int verb) {
  switch (verb) {
    case 1:
      return SetScroll(scroll_ - UnitHeight(true));
    case -1:
      return SetScroll(scroll_ + UnitHeight(false));
    case 2:
    case -2: {
      const int page = std::max(1, view_.Height() - UnitHeight(false));
      return SetScroll(verb > 0 ? scroll_ - page : scroll_ + page);
    }
    default:
      return false;
  }
}

bool TextObject::ScrollPixels(int dy) {
  return SetScroll(scroll_ + dy);
}

bool TextObject::ScrollToView(size_t offset, int margin) {
  const Point p = OffsetToPoint(offset);
  const int height = CaretHeight(offset);
  margin = std::clamp(margin, 0, std::max(0, (view_.Height() - height) / 2));
  if (p.y < view_.top + margin) return SetScroll(scroll_ - (view_.top + margin - p.y));
  if (p.y + height > view_.bottom - margin)
    return SetScroll(scroll_ + (p.y + height - (view_.bottom - margin)));
  return false;
}

// --- Insertion point ---

void TextObject::ResetCaret() {
  caret_on_ = true;
  caret_tick_set_ = false;
}

void TextObject::SetCaretShown(bool shown) {
  if (shown && !caret_shown_) ResetCaret();  // back at once, not halfway through a blink
  caret_shown_ = shown;
}

bool TextObject::Idle(uint32_t ticks) {
  if (!caret_tick_set_) {
    caret_tick_ = ticks;
    caret_tick_set_ = true;
    return false;
  }
  if (ticks - caret_tick_ < kCaretBlinkTicks) return false;
  caret_tick_ = ticks;
  caret_on_ = !caret_on_;
  return active_ && !HasSelection() && caret_shown_;
}

}  // namespace corvida
