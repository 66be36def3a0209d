#include "ui/text_entry.h"

#include <algorithm>

#include "platform/messages.h"

namespace corvida {

std::string TextEntry::SelectedText() const {
  return text_.substr(selection_start(), selection_end() - selection_start());
}

void TextEntry::SetText(std::string_view text) {
  text_.assign(text.substr(0, std::min(text.size(), limit_)));
  anchor_ = caret_ = text_.size();
  can_undo_ = false;
}

void TextEntry::Select(size_t anchor, size_t caret) {
  anchor_ = std::min(anchor, text_.size());
  caret_ = std::min(caret, text_.size());
}

void TextEntry::Insert(std::string_view typed) {
  std::string clean;
  for (size_t i = 0; i < typed.size(); ++i) {
    const auto c = static_cast<uint8_t>(typed[i]);
    if (c == '\r') {
      if (i + 1 < typed.size() && typed[i + 1] == '\n') ++i;
      clean += '\n';
    } else if (c == '\n' || (c >= 32 && c != 127)) {
      clean += static_cast<char>(c);
    }
  }
  const size_t room = limit_ - (text_.size() - (selection_end() - selection_start()));
  if (clean.size() > room) clean.resize(room);
  if (clean.empty() && !has_selection()) return;
  Replace(selection_start(), selection_end(), clean);
}

void TextEntry::ClearSelection() {
  if (has_selection()) Replace(selection_start(), selection_end(), {});
}

void TextEntry::Undo() {
  if (!can_undo_) return;
  std::swap(text_, undo_text_);
  std::swap(anchor_, undo_anchor_);
  std::swap(caret_, undo_caret_);
}

void TextEntry::Replace(size_t from, size_t to, std::string_view with) {
  undo_text_ = text_;
  undo_anchor_ = anchor_;
  undo_caret_ = caret_;
  can_undo_ = true;
  text_.replace(from, to - from, with);
  anchor_ = caret_ = from + with.size();
}

void TextEntry::MoveTo(size_t pos, bool extend) {
  caret_ = std::min(pos, text_.size());
  if (!extend) anchor_ = caret_;
}

size_t TextEntry::LineOf(size_t pos) const {
  pos = std::min(pos, text_.size());
  return static_cast<size_t>(std::count(text_.begin(), text_.begin() + long(pos), '\n'));
}

size_t TextEntry::LineStart(size_t line) const {
  size_t pos = 0;
  for (size_t i = 0; i < line; ++i) {
    const size_t end = text_.find('\n', pos);
    if (end == std::string::npos) return pos;
    pos = end + 1;
  }
  return pos;
}

size_t TextEntry::LineEnd(size_t line) const {
  const size_t end = text_.find('\n', LineStart(line));
  return end == std::string::npos ? text_.size() : end;
}

size_t TextEntry::LineCount() const {
  return LineOf(text_.size()) + 1;
}

// The caret `lines` up (negative) or down, in the same column where the line is long
// enough; past the first or last line it goes to that line's start or end.
size_t TextEntry::Vertical(int lines) const {
  const size_t line = LineOf(caret_);
  const size_t column = caret_ - LineStart(line);
  if (lines < 0 && line == 0) return 0;
  if (lines > 0 && line + 1 >= LineCount()) return text_.size();
  const size_t target = lines < 0 ? line - 1 : line + 1;
  return std::min(LineStart(target) + column, LineEnd(target));
}

bool TextEntry::KeyDown(uint32_t key, bool shift, bool ctrl) {
  const size_t line = LineOf(caret_);
  switch (key) {
    case vk::kLeft:
      if (has_selection() && !shift) return MoveTo(selection_start(), false), true;
      return MoveTo(caret_ > 0 ? caret_ - 1 : 0, shift), true;
    case vk::kRight:
      if (has_selection() && !shift) return MoveTo(selection_end(), false), true;
      return MoveTo(caret_ + 1, shift), true;
    case vk::kUp:
      return MoveTo(Vertical(-1), shift), true;
    case vk::kDown:
      return MoveTo(Vertical(1), shift), true;
    case vk::kHome:
      return MoveTo(ctrl ? 0 : LineStart(line), shift), true;
    case vk::kEnd:
      return MoveTo(ctrl ? text_.size() : LineEnd(line), shift), true;
    case vk::kBack:
      if (has_selection()) return ClearSelection(), true;
      if (caret_ > 0) Replace(caret_ - 1, caret_, {});
      return true;
    case vk::kDelete:
      if (has_selection()) return ClearSelection(), true;
      if (caret_ < text_.size()) Replace(caret_, caret_ + 1, {});
      return true;
    case 'A':
      if (!ctrl) return false;
      return SelectAll(), true;
    case 'Z':
      if (!ctrl) return false;
      return Undo(), true;
    default:
      return false;
  }
}

}  // namespace corvida
