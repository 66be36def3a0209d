#include "ui/dialog.h"

#include <utility>

#include "platform/messages.h"

namespace corvida {
namespace {

Control Make(int id, ControlKind kind, Rect rect, std::string text) {
  Control c;
  c.id = id;
  c.kind = kind;
  c.rect = rect;
  c.text = std::move(text);
  return c;
}

}  // namespace

Control StaticText(int id, Rect rect, std::string text) {
  return Make(id, ControlKind::kStatic, rect, std::move(text));
}

Control IconArea(int id, Rect rect, AlertIcon icon) {
  Control c = Make(id, ControlKind::kIcon, rect, {});
  c.icon = icon;
  return c;
}

Control Button(int id, Rect rect, std::string label) {
  return Make(id, ControlKind::kButton, rect, std::move(label));
}

Control CheckBox(int id, Rect rect, std::string label, bool checked) {
  Control c = Make(id, ControlKind::kCheckBox, rect, std::move(label));
  c.checked = checked;
  return c;
}

Control EditField(int id, Rect rect, size_t limit, std::string text) {
  Control c = Make(id, ControlKind::kEdit, rect, std::move(text));
  c.limit = limit;
  return c;
}

Control ListBox(int id, Rect rect, std::vector<std::string> items) {
  Control c = Make(id, ControlKind::kList, rect, {});
  c.items = std::move(items);
  return c;
}

Control& Dialog::Add(Control control) {
  controls_.push_back(std::move(control));
  Control& added = controls_.back();
  if (added.text.size() > added.limit && added.kind == ControlKind::kEdit)
    added.text.resize(added.limit);
  if (focus_ < 0 && added.Focusable()) focus_ = int(controls_.size()) - 1;
  return added;
}

Control* Dialog::Find(int id) {
  for (Control& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

const Control* Dialog::Find(int id) const {
  return const_cast<Dialog*>(this)->Find(id);
}

void Dialog::FocusOn(int index) {
  if (focus_ >= 0 && size_t(focus_) < controls_.size())
    controls_[size_t(focus_)].all_selected = false;
  focus_ = index;
  Control& c = controls_[size_t(index)];
  c.all_selected = c.kind == ControlKind::kEdit && !c.text.empty();
}

void Dialog::SetFocus(int id) {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].id == id && controls_[i].Focusable()) FocusOn(int(i));
}

int Dialog::focus_id() const {
  if (focus_ < 0 || size_t(focus_) >= controls_.size()) return 0;
  return controls_[size_t(focus_)].Focusable() ? controls_[size_t(focus_)].id : 0;
}

void Dialog::MoveFocus(bool backwards) {
  const int n = int(controls_.size());
  if (n == 0) return;
  int i = focus_ < 0 ? (backwards ? 0 : n - 1) : focus_;
  for (int step = 0; step < n; ++step) {
    i = (i + (backwards ? n - 1 : 1)) % n;
    if (controls_[size_t(i)].Focusable()) {
      FocusOn(i);
      return;
    }
  }
}

void Dialog::SetText(int id, std::string text) {
  if (Control* c = Find(id)) {
    if (c->kind == ControlKind::kEdit && text.size() > c->limit) text.resize(c->limit);
    c->text = std::move(text);
    c->all_selected = false;
  }
}

std::string Dialog::Text(int id) const {
  const Control* c = Find(id);
  return c ? c->text : std::string();
}

bool Dialog::Checked(int id) const {
  const Control* c = Find(id);
  return c && c->checked;
}

void Dialog::Command(int id) {
  const bool handled = on_command_ && on_command_(*this, id);
  const Control* c = Find(id);
  if (!handled && !ended_ && c && c->kind == ControlKind::kButton) End(id);
}

void Dialog::Press(Control& control) {
  if (!control.Focusable()) return;
  if (control.kind == ControlKind::kCheckBox) control.checked = !control.checked;
  if (control.kind == ControlKind::kButton || control.kind == ControlKind::kCheckBox)
    Command(control.id);
}

void Dialog::KeyDown(uint32_t virtual_key, bool shift) {
  Control* focused = focus_id() ? &controls_[size_t(focus_)] : nullptr;
  switch (virtual_key) {
    case vk::kTab:
      MoveFocus(shift);
      return;
    case vk::kEscape:
      if (cancel_id_) End(cancel_id_);
      return;
    case vk::kReturn: {
      // A focused push button is pressed; otherwise the default button.
      if (focused && focused->kind == ControlKind::kButton) return Press(*focused);
      if (Control* d = Find(default_id_); d && d->Focusable()) return Press(*d);
      if (!Find(default_id_)) End(default_id_);
      return;
    }
    case vk::kSpace:
      if (focused && focused->kind != ControlKind::kEdit) Press(*focused);
      return;
    case vk::kBack:
      if (focused && focused->kind == ControlKind::kEdit && !focused->text.empty()) {
        if (std::exchange(focused->all_selected, false)) {
          focused->text.clear();
        } else {
          focused->text.pop_back();
        }
        Command(focused->id);
      }
      return;
    case vk::kUp:
    case vk::kDown:
      if (focused && focused->kind == ControlKind::kList && !focused->items.empty()) {
        const int last = int(focused->items.size()) - 1;
        int row = focused->selected + (virtual_key == vk::kUp ? -1 : 1);
        row = row < 0 ? 0 : row > last ? last : row;
        if (row != focused->selected) {
          focused->selected = row;
          const int rows = std::max(1, focused->rect.Height() / kListRowHeight);
          if (row < focused->top) focused->top = row;
          if (row >= focused->top + rows) focused->top = row - rows + 1;
          Command(focused->id);
        }
      }
      return;
    default:
      return;
  }
}

void Dialog::Char(uint8_t ch) {
  if (focus_id() == 0) return;
  Control& focused = controls_[size_t(focus_)];
  // Control characters arrive as key presses; only printable ones are typed.
  if (focused.kind != ControlKind::kEdit || ch < 0x20 || ch == 0x7F) return;
  if (std::exchange(focused.all_selected, false)) focused.text.clear();
  if (focused.text.size() >= focused.limit) return;
  focused.text.push_back(char(ch));
  Command(focused.id);
}

int Dialog::IndexAt(Point p) const {
  const Point c{p.x - client_origin().x, p.y - client_origin().y};
  for (size_t i = controls_.size(); i-- > 0;)
    if (controls_[i].visible && controls_[i].rect.Contains(c)) return int(i);
  return -1;
}

void Dialog::MouseDown(Point p, bool double_click) {
  const int i = IndexAt(p);
  if (i < 0 || !controls_[size_t(i)].Focusable()) return;
  // A click puts the insertion point at the end of a field: nothing stays selected.
  FocusOn(i);
  Control& c = controls_[size_t(i)];
  c.all_selected = false;
  switch (c.kind) {
    case ControlKind::kButton:
      pressed_ = i;
      break;
    case ControlKind::kCheckBox:
      Press(c);
      break;
    case ControlKind::kList: {
      const int y = p.y - client_origin().y - c.rect.top;
      const int row = c.top + y / kListRowHeight;
      if (row < 0 || row >= int(c.items.size())) break;
      if (row != c.selected) {
        c.selected = row;
        Command(c.id);
      }
      if (double_click && !ended_)
        if (Control* d = Find(default_id_); d && d->Focusable()) Press(*d);
      break;
    }
    default:
      break;
  }
}

void Dialog::MouseUp(Point p) {
  const int held = pressed_;
  pressed_ = -1;
  // A button counts as pressed only when the button is released inside it.
  if (held >= 0 && IndexAt(p) == held) Press(controls_[size_t(held)]);
}

}  // namespace corvida
