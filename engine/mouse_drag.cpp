// Drawing on the screen while the mouse acts: button highlights by inversion, the
// exclusive-or outline of a dragged graphic, and the drop.
#include "engine/cards.h"
#include "engine/hittest.h"
#include "engine/icons.h"
#include "engine/mouse.h"
#include "engine/render.h"
#include "platform/gfx/text.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

const gfx::Rgb kLabelBackground = gfx::kWhite;

}  // namespace

gfx::Region RegionOutline(const gfx::Region& region) {
  gfx::Region inner = region;
  for (Point d : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}}) {
    gfx::Region shifted = region;
    shifted.Offset(d.x, d.y);
    inner = inner.Intersect(shifted);
  }
  return region.Subtract(inner);
}

// The pixels of a button's icon and name as the card draws them: what the exclusive-or
// highlight of a transparent or shaped button inverts.
gfx::Region MouseHandler::LabelRegion(const DisplayItem& item) {
  const auto& b = item.button;
  const Rect r = item.rect;
  // Only what the screen shows of the button is drawn: a stack may give it any size.
  const Rect shown = r.Intersect(screen_.Bounds());
  gfx::Bitmap scratch;
  if (shown.Empty() || !scratch.Create(shown.Width(), shown.Height(), 32)) return {};
  gfx::DrawTarget target(scratch);
  target.FillRect(scratch.Bounds(), gfx::Color::FromRgb(kLabelBackground));
  target.state().origin = {-shown.left, -shown.top};
  CardView* view = View();
  std::string font_name = view ? view->options().button_font : "Chicago";
  int font_size = view ? view->options().button_font_size : 12;
  auto font = fonts_ ? fonts_->GetFont(font_name, font_size, 0) : MakeBuiltinFont(font_size, 0);
  if (!font) font = MakeBuiltinFont(font_size, 0);
  DrawButtonLabel(target, b, r, *font, gfx::Color::FromRgb(gfx::kBlack));
  // Every pixel the label changed counts, as in a one-bit image of it.
  gfx::Region::Builder rows;
  for (int y = 0; y < scratch.height(); ++y) {
    std::vector<gfx::Region::Span> spans;
    for (int x = 0; x < scratch.width(); ++x) {
      if (!(gfx::RgbFromPixel(scratch.Get(x, y), 32, scratch.palette) == kLabelBackground))
        spans.push_back({shown.left + x, shown.left + x + 1});
    }
    if (!spans.empty()) rows.AddRow(shown.top + y, std::move(spans));
  }
  return rows.Finish();
}

void MouseHandler::ToggleHighlight(uint16_t button_id) {
  CardView* view = View();
  DisplayItem* item = view ? view->display_list().Find(object::kButton, button_id) : nullptr;
  if (!item || screen_.empty()) return;
  const auto& b = item->button;
  gfx::DrawTarget target(screen_);
  bool label = b.show_name || (b.show_icon && b.icon);
  if (b.style <= 3) {
    target.InvertRegion(item->region);
  } else if (b.style == 4) {
    if (label)
      target.InvertRegion(LabelRegion(*item));
    else
      target.InvertRect(item->rect);
  } else if (!b.mask_region.Empty()) {
    target.InvertRegion(b.mask_region);
  } else if (label) {
    target.InvertRegion(LabelRegion(*item));
  }
  Present();
}

// ---- dragging graphics ----

bool MouseHandler::DragStart(DisplayItem& item, Point p) {
  if (item.type != object::kGraphic || !(item.object_flags & object::kFlagRollover)) return false;
  drag_ = {};
  drag_.on = true;
  drag_.id = item.id;
  drag_.rect = item.rect;
  drag_.last = p;
  drag_.outline = RegionOutline(item.graphic.mask_region.Empty() ? gfx::Region(item.rect)
                                                                 : item.graphic.mask_region);
  last_graphic_name_ = NameOf(object::kGraphic, item.id);
  InvertOutline();
  windows_.SetCapture(window_);
  return true;
}

void MouseHandler::InvertOutline() {
  if (screen_.empty()) return;
  gfx::DrawTarget target(screen_);
  target.InvertRegion(drag_.outline);
  Present();
}

void MouseHandler::DragMove(Point p) {
  int dx = p.x - drag_.last.x, dy = p.y - drag_.last.y;
  if (dx == 0 && dy == 0) return;
  InvertOutline();
  drag_.rect = drag_.rect.Offset(dx, dy);
  drag_.outline.Offset(dx, dy);
  drag_.last = p;
  InvertOutline();
}

void MouseHandler::DragDrop(Point p) {
  DragMove(p);
  Drag drag = drag_;
  drag_ = {};
  windows_.ReleaseCapture();
  if (!screen_.empty()) {
    gfx::DrawTarget target(screen_);
    target.InvertRegion(drag.outline);
  }
  CardView* view = View();
  DisplayItem* item = view ? view->display_list().Find(object::kGraphic, drag.id) : nullptr;
  if (!item) return Present();
  int dx = drag.rect.left - item->rect.left, dy = drag.rect.top - item->rect.top;
  uint16_t action = item->graphic.action_id;
  if (dx != 0 || dy != 0) {
    item->rect = drag.rect;
    item->region.Offset(dx, dy);
    item->graphic.mask_region.Offset(dx, dy);
    // The record keeps the new place too, so the card shows it when drawn again.
    ObjectRef obj = FindObjectById(stack_, handles_, Card(), object::kGraphic, drag.id);
    LockedHandle bytes(handles_, obj.card);
    if (obj && bytes && obj.offset + object::kRect + 8 <= bytes.size()) {
      uint8_t* rect = bytes.data() + obj.offset + object::kRect;
      Put16(rect, uint16_t(drag.rect.left));
      Put16(rect + 2, uint16_t(drag.rect.top));
      Put16(rect + 4, uint16_t(drag.rect.right));
      Put16(rect + 6, uint16_t(drag.rect.bottom));
      stack_.MarkChanged();
    }
  }
  host_.RecomposeCard();
  const DisplayItem* under = HitTest(view->display_list(), p, Browsing(), false, item);
  if (!under) {
    executor_.RunActionRecord(action, last_graphic_name_, MediaWait::kNone);
  } else if (under->type == object::kButton && (under->object_flags & object::kFlagDropTarget)) {
    executor_.RunButton(under->id);
  }
}

}  // namespace corvida
