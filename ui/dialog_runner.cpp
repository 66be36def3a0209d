#include "ui/dialog_runner.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "ui/dialog_scroll.h"

namespace corvida {
namespace {

constexpr uint32_t kNoLimit = 0xFFFFFFFF;

bool IsDialogInput(uint32_t m) {
  return m == msg::kKeyDown || m == msg::kChar || m == msg::kLButtonDown || m == msg::kLButtonUp ||
         m == msg::kLButtonDblClk || m == msg::kSysKeyDown;
}

class Overlay {
 public:
  Overlay(DialogHost& host, const Dialog& dialog) : host_(host), dialog_(dialog) {
    const gfx::Bitmap* backdrop = host.backdrop ? host.backdrop() : nullptr;
    // Over what the window shows, else over its client area; a dialog larger than that
    // scrolls within it.
    Size size = backdrop && !backdrop->empty() ? backdrop->size()
                : host.windows                 ? host.windows->ClientSize(host.window)
                                               : Size{};
    if (size.width <= 0 || size.height <= 0) size = dialog.outer_size();
    scroll_.emplace(size, dialog.outer_size());
    if (!canvas_.Create(size.width, size.height, 32)) return;
    gfx::DrawTarget t(canvas_);
    t.FillRect(canvas_.Bounds(), gfx::Color::FromRgb(gfx::kBlack));
    if (backdrop && !backdrop->empty())
      t.BitBlt(backdrop->Bounds(), *backdrop, {0, 0}, gfx::rop::kSrcCopy);
    under_ = canvas_;
    // A dialog opened from this one (an alert over it) is drawn over this one, and
    // shows this one again when it ends.
    outer_backdrop_ = std::move(host.backdrop);
    outer_restore_ = std::move(host.restore);
    host.backdrop = [this] { return &canvas_; };
    host.restore = [this] { Show(); };
  }
  ~Overlay() {
    host_.backdrop = std::move(outer_backdrop_);
    host_.restore = std::move(outer_restore_);
  }
  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;

  bool ready() const { return scroll_.has_value(); }
  Point at() const { return scroll_ ? scroll_->DialogAt() : Point{}; }
  DialogScroll& scroll() { return *scroll_; }

  // Brings the focused control into view, as a keyboard user expects.
  void RevealFocus() {
    const Control* c = dialog_.Find(dialog_.focus_id());
    if (!c || !scroll_) return;
    const Point o = dialog_.client_origin();
    scroll_->Reveal(c->rect.Offset(o.x, o.y));
  }

  void Show() {
    if (canvas_.empty() || !host_.windows) return;
    canvas_ = under_;
    gfx::DrawTarget t(canvas_);
    dialog_.Draw(t, host_.fonts, at());
    scroll_->Draw(t);
    host_.windows->Present(host_.window, gfx::ConvertToRgba(canvas_, nullptr, rgba_), {0, 0});
  }

  void Restore() {
    if (outer_restore_) return outer_restore_();
    if (under_.empty() || !host_.windows) return;
    host_.windows->Present(host_.window, gfx::ConvertToRgba(under_, nullptr, rgba_), {0, 0});
  }

 private:
  DialogHost& host_;
  const Dialog& dialog_;
  gfx::Bitmap canvas_;
  gfx::Bitmap under_;  // the window's image the dialog covers
  std::vector<uint8_t> rgba_;
  std::optional<DialogScroll> scroll_;
  std::function<const gfx::Bitmap*()> outer_backdrop_;
  std::function<void()> outer_restore_;
};

// The scroll bars' share of the input: presses on them, the drag of a thumb, the wheel.
bool ScrollInput(DialogScroll& scroll, const Message& m) {
  const Point p{ParamX(m.lParam), ParamY(m.lParam)};
  switch (m.message) {
    case msg::kLButtonDown:
    case msg::kLButtonDblClk:
      return scroll.Press(p);
    case msg::kMouseMove:
      return scroll.Drag(p);
    case msg::kLButtonUp:
      return scroll.Release();
    case msg::kMouseWheel: {
      // 120 a notch, forward scrolls back towards the top; a dialog that only scrolls
      // sideways takes the wheel sideways.
      const int by = -int(int16_t(uint16_t(m.wParam >> 16))) * 3 * DialogScroll::kStep / 120;
      return scroll.vertical() ? scroll.ScrollBy(0, by) : scroll.ScrollBy(by, 0);
    }
    default:
      return false;
  }
}

}  // namespace

Point DialogPlacement(Size backdrop, Size dialog) {
  return DialogScroll(backdrop, dialog).DialogAt();
}

int AnswerDialog(Dialog& dialog, const std::string* text, int answer) {
  if (text) {
    const int field = dialog.focus_id();
    const Control* c = dialog.Find(field);
    if (c && c->kind == ControlKind::kEdit) {
      dialog.SetText(field, "");
      for (char ch : *text) dialog.Char(uint8_t(ch));
    }
  }
  if (dialog.ended()) return dialog.result();
  if (answer == 0) return dialog.dismiss_id();
  Control* c = dialog.Find(answer);
  if (c && c->Focusable()) {
    dialog.SetFocus(answer);
    dialog.KeyDown(c->kind == ControlKind::kButton ? vk::kReturn : vk::kSpace, false);
  }
  return dialog.ended() ? dialog.result() : dialog.dismiss_id();
}

int RunDialog(DialogHost& host, Dialog& dialog) {
  if (host.close_requested && *host.close_requested) return dialog.dismiss_id();
  if (host.script) {
    const int answer = host.script(dialog);
    if (dialog.ended()) return dialog.result();
    return answer == 0 ? dialog.dismiss_id() : AnswerDialog(dialog, nullptr, answer);
  }
  if (!host.windows) return dialog.dismiss_id();

  Overlay overlay(host, dialog);
  if (overlay.ready()) overlay.RevealFocus();
  overlay.Show();
  Message m;
  while (!dialog.ended()) {
    if (!host.windows->WaitMessage(m, kNoLimit)) {
      // Nothing will ever arrive (an exhausted script): the dialog cannot be answered.
      dialog.End(dialog.dismiss_id());
      break;
    }
    if (m.window != host.window && m.window != 0) continue;
    if (m.message == msg::kClose || m.message == msg::kDestroy || m.message == msg::kQuit) {
      if (host.close_requested) *host.close_requested = true;
      dialog.End(dialog.dismiss_id());
      break;
    }
    if (overlay.ready() && ScrollInput(overlay.scroll(), m)) {
      overlay.Show();
    } else if (IsDialogInput(m.message)) {
      const Point p{ParamX(m.lParam) - overlay.at().x, ParamY(m.lParam) - overlay.at().y};
      const int focus_before = dialog.focus_id();
      switch (m.message) {
        case msg::kKeyDown:
        case msg::kSysKeyDown:
          dialog.KeyDown(uint32_t(m.wParam), host.windows->KeyDown(vk::kShift));
          break;
        case msg::kChar:
          dialog.Char(uint8_t(m.wParam));
          break;
        case msg::kLButtonDown:
          dialog.MouseDown(p, false);
          break;
        case msg::kLButtonDblClk:
          dialog.MouseDown(p, true);
          break;
        case msg::kLButtonUp:
          dialog.MouseUp(p);
          break;
        default:
          break;
      }
      if (!dialog.ended()) {
        // A key works on the focused control, which the user must see; a click shows
        // its control only when it took the focus (scrolling by the bars stays).
        const bool key =
            m.message == msg::kKeyDown || m.message == msg::kSysKeyDown || m.message == msg::kChar;
        if (overlay.ready() && (key || dialog.focus_id() != focus_before)) overlay.RevealFocus();
        overlay.Show();
      }
    } else if (m.message == msg::kPaint) {
      overlay.Show();
    } else if (m.message == msg::kMouseMove || m.message == msg::kKeyUp) {
      // Held only by the dialog: the card underneath does not see them.
    } else if (host.pass_on) {
      host.pass_on(m);
      if (host.close_requested && *host.close_requested) dialog.End(dialog.dismiss_id());
    }
  }
  overlay.Restore();
  return dialog.result();
}

}  // namespace corvida
