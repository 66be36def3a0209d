// Drawing display items: the eight button styles with icon and name, graphics with
// masks, frames and stretching, and text fields.
#include <algorithm>

#include "engine/render.h"
#include "platform/gfx/text.h"

namespace corvida {

namespace {

// Restores the drawing state when a drawing step is done. The clip is kept apart from
// the rest, as a region and a flag.
class SavedState {
 public:
  explicit SavedState(gfx::DrawTarget& target)
      : target_(target), had_clip_(target.state().clip.has_value()) {
    if (had_clip_) clip_ = *target.state().clip;
    gfx::DrawState& st = target.state();
    pen_ = st.pen;
    brush_ = st.brush;
    text_ = st.text_color;
    bk_ = st.bk_color;
    bk_mode_ = st.bk_mode;
    pen_mode_ = st.pen_mode;
  }
  ~SavedState() {
    gfx::DrawState& st = target_.state();
    if (had_clip_) {
      st.clip = std::move(clip_);
    } else {
      st.clip.reset();
    }
    st.pen = pen_;
    st.brush = brush_;
    st.text_color = text_;
    st.bk_color = bk_;
    st.bk_mode = bk_mode_;
    st.pen_mode = pen_mode_;
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  gfx::DrawTarget& target_;
  bool had_clip_;
  gfx::Region clip_;
  gfx::Pen pen_;
  gfx::Brush brush_;
  gfx::Color text_;
  gfx::Color bk_;
  gfx::BkMode bk_mode_{};
  gfx::PenMode pen_mode_{};
};

const gfx::Color kBlack = gfx::Color::FromRgb(gfx::kBlack);

// Limits drawing to `logical` within whatever clip is set.
void ClipTo(gfx::DrawTarget& target, const Rect& logical) {
  gfx::Region device = target.ToDevice(gfx::Region(logical));
  target.SetClip(target.state().clip ? target.state().clip->Intersect(device) : device);
}

}  // namespace

void CardView::DrawItem(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip) {
  SavedState saved(target);
  ClipTo(target, clip);
  switch (item.type) {
    case object::kButton:
      DrawButton(target, item);
      break;
    case object::kGraphic:
      DrawGraphic(target, item);
      break;
    case object::kTextField:
      DrawField(target, item, clip);
      break;
    default:
      break;
  }
}

void CardView::DrawButton(gfx::DrawTarget& target, DisplayItem& item) {
  const auto& b = item.button;
  const Rect r = item.rect;
  Font& font = *ButtonFont();
  const int lh = font.metrics().m_height;
  auto& st = target.state();
  st.pen = gfx::Pen{gfx::Pen::Style::kSolid, kBlack, 1, 0};
  st.brush = gfx::Brush::Solid(PaletteColour(b.button_colour));
  st.pen_mode = gfx::PenMode::kCopyPen;

  auto rounded = [&](const Rect& box) {
    target.RoundRect(box, lh, lh);
    // The second line inside the bottom and right edges gives the button its depth.
    target.Line({box.left + lh / 2, box.bottom - 2}, {box.right - lh / 2, box.bottom - 2});
    target.Line({box.right - 2, box.top + lh / 2}, {box.right - 2, box.bottom - lh / 2});
  };
  switch (b.style) {
    case 0:
      rounded(r);
      break;
    case 1: {
      // A 4-pixel frame in the window-frame colour, then a style-0 button inside it.
      gfx::Brush fill = st.brush;
      st.brush = gfx::Brush::Null();
      st.pen.width = 4;
      target.RoundRect(r, lh + 4, lh + 4);
      st.pen.width = 1;
      st.brush = fill;
      rounded(r.Inset(6, 6));
      break;
    }
    case 2:
      target.Rectangle(r);
      break;
    case 3:
      target.Rectangle({r.left, r.top, r.right - 2, r.bottom - 2});
      target.FillRect({r.left + 2, r.bottom - 2, r.right, r.bottom}, kBlack);
      target.FillRect({r.right - 2, r.top + 2, r.right, r.bottom}, kBlack);
      break;
    case 4:
      if (options_.browse_mode && options_.outlines_shown) {
        st.brush = gfx::Brush::Null();
        st.pen_mode = gfx::PenMode::kNot;
        target.Rectangle(r);
        st.pen_mode = gfx::PenMode::kCopyPen;
      }
      break;
    default:
      if (options_.browse_mode && options_.outlines_shown && !b.shape_mask.empty()) {
        target.BitBlt({r.left, r.top, r.left + b.shape_mask.width(), r.top + b.shape_mask.height()},
                      b.shape_mask, {0, 0}, gfx::rop::kAndNotSrc);
      }
      break;
  }

  if (b.style <= 3) ClipTo(target, {r.left + 2, r.top, r.right - 2, r.bottom});
  DrawButtonLabel(target, b, r, font, PaletteColour(b.text_colour));
}

void CardView::DrawGraphic(gfx::DrawTarget& target, DisplayItem& item) {
  auto& g = item.graphic;
  const Rect r = item.rect;
  if (g.picture && !g.picture->empty()) {
    const gfx::Bitmap& picture = *g.picture;
    if (!g.mask.empty()) {
      // Transparent parts keep the card: the picture goes through the mask.
      if (g.source.Width() == r.Width() && g.source.Height() == r.Height()) {
        target.CopyMasked(r, picture, {g.source.left, g.source.top}, g.mask, {0, 0});
      } else {
        gfx::Bitmap stretched;
        if (stretched.Create(r.Width(), r.Height(), picture.depth())) {
          stretched.palette = picture.palette;
          stretched.palette_relative = picture.palette_relative;
          gfx::DrawTarget scratch(stretched);
          scratch.StretchBlt(stretched.Bounds(), picture, g.source, gfx::rop::kSrcCopy);
          target.CopyMasked(r, stretched, {0, 0}, g.mask, {0, 0});
        }
      }
      return;
    }
    target.StretchBlt(r, picture, g.source, gfx::rop::kSrcCopy);
  }
  if (g.mask.empty() && g.frame_width > 0) {
    auto& st = target.state();
    st.pen = gfx::Pen{gfx::Pen::Style::kSolid, PaletteColour(g.frame_colour), g.frame_width, 0};
    st.brush = gfx::Brush::Null();
    st.pen_mode = gfx::PenMode::kCopyPen;
    target.Rectangle(r.Inset(1, 1));
  }
}

void CardView::DrawField(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip) {
  if (services_.fields) {
    services_.fields->Draw(target, item, clip);
    return;
  }
  target.FillRect(item.rect, gfx::Color::FromRgb(gfx::kWhite));
  target.FrameRect(item.rect, gfx::Brush::Solid(kBlack), 1);
}

void DrawButtonLabel(gfx::DrawTarget& target, const DisplayItem::Button& b, const Rect& r,
                     Font& font, gfx::Color text) {
  const int lh = font.metrics().m_height;
  const Icon* icon = b.show_icon ? b.icon.get() : nullptr;
  int icon_top = 0;
  if (icon) {
    int content = icon->height() + (b.show_name ? lh * 3 / 2 : 0);
    icon_top = r.top + (r.Height() - content) / 2;
    DrawIcon(target, *icon, {r.left + (r.Width() - icon->width()) / 2, icon_top});
  }
  if (b.show_name && !b.name.empty()) {
    // The name's capitals start at `top`: below the icon, or centred without one.
    int top = icon ? icon_top + icon->height() + lh / 2 : r.top + (r.Height() - lh) / 2;
    int width = gfx::MeasureText(font, b.name);
    target.state().bk_mode = gfx::BkMode::kTransparent;
    gfx::DrawText(target, font, r.left + (r.Width() - width) / 2, top + lh, b.name, text);
  }
}

}  // namespace corvida
