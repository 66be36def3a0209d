#include "engine/render.h"

#include <span>

#include "stackfile/actions.h"
#include "stackfile/cardpicture.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

Bytes View(LockedHandle& locked) {
  return {locked.data(), locked.size()};
}

}  // namespace

gfx::Palette DefaultCardPalette() {
  gfx::Palette p;
  int n = 0;
  const uint8_t steps[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
  for (uint8_t r : steps)
    for (uint8_t g : steps)
      for (uint8_t b : steps)
        if (n < 215) p.Set(n++, {r, g, b});
  const uint8_t ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
  for (uint8_t v : ramp) p.Set(n++, {v, 0, 0});
  for (uint8_t v : ramp) p.Set(n++, {0, v, 0});
  for (uint8_t v : ramp) p.Set(n++, {0, 0, v});
  for (uint8_t v : ramp) p.Set(n++, {v, v, v});
  p.Set(n++, {0, 0, 0});
  p.count = n;
  for (int i = 10; i < n; ++i) p.entries[size_t(i)].flags = gfx::palflag::kNoCollapse;
  return p;
}

CardView::CardView(Handles& handles, Stack& stack, RenderServices services)
    : handles_(handles), stack_(stack), services_(std::move(services)) {}

CardView::~CardView() = default;

Size CardView::card_size() const {
  if (!stack_.is_open()) return {};
  return {static_cast<int16_t>(stack_.Header16(header::kCardWidth)),
          static_cast<int16_t>(stack_.Header16(header::kCardHeight))};
}

void CardView::Reset() {
  ClearDisplayList();
  current_card_ = 0;
  offscreen_.Clear();
  composed_.Clear();
  icons_.clear();
  stack_pictures_.Clear();
}

void CardView::ClearDisplayList() {
  list_.Clear();
  focus_field_ = nullptr;
  Size size = card_size();
  card_area_ = gfx::Region(Rect{0, 0, size.width, size.height});
}

void CardView::RebuildCardArea() {
  card_area_ = CardAreaRegion(list_, card_size());
}

gfx::Rgb CardView::ObjectColour(int index) const {
  return palette_.At(index);
}

gfx::Color CardView::PaletteColour(int index) const {
  // On indexed cards an entry in range is drawn by its index, so that palette changes
  // (fades) reach it; none and entries beyond the palette are black.
  if (offscreen_.indexed() && index >= 0 && index < palette_.count)
    return gfx::Color::Index(static_cast<uint8_t>(index));
  return gfx::Color::FromRgb(ObjectColour(index));
}

bool CardView::DecodePicture(Handle card) {
  Size size = card_size();
  int depth = stack_.Header16(header::kColorDepth);
  if (!gfx::ValidDepth(depth)) depth = 8;
  int compose_depth = depth <= 8 ? 8 : 32;
  if (offscreen_.width() != size.width || offscreen_.height() != size.height ||
      offscreen_.depth() != compose_depth) {
    if (!offscreen_.Create(size.width, size.height, compose_depth)) return false;
  }

  std::shared_ptr<const gfx::Bitmap> decoded;
  gfx::Palette card_palette;
  if (Handle picture_card = PictureCardOf(stack_, handles_, card)) {
    LockedHandle bytes(handles_, picture_card);
    Bytes view = View(bytes);
    size_t limit = ObjectListStart(view);
    if (limit > picture::kOffset) {
      std::span<const uint8_t> block(view.data + picture::kOffset, limit - picture::kOffset);
      card_palette = CardPicturePalette(block);
      StackPictureUse use{StackPictureUse::kCardPicture, size.width, size.height, depth};
      decoded = stack_pictures_.Get(block, use, [&](gfx::Bitmap& out) {
        return DecodeCardPicture(block, size, depth, false, out);
      });
    }
  }
  palette_ = card_palette.count > 0 ? card_palette : DefaultCardPalette();
  offscreen_.palette = palette_;
  gfx::DrawTarget target(offscreen_);
  if (!decoded || decoded->empty()) {
    target.FillRect(offscreen_.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  } else {
    target.BitBlt(offscreen_.Bounds(), *decoded, {0, 0}, gfx::rop::kSrcCopy);
  }
  return true;
}

bool CardView::ShowCard(Handle card, int transition, int speed, bool arrival, CardScreen* screen) {
  (void)arrival;  // the videodisc stop and the automatic timers belong to the caller
  if (!card || !stack_.is_open()) return false;
  if (screen) screen->PrepareTransition(transition);
  // The menu-bar flag of a card is kept but ignored: no host shows a menu bar.
  if (!DecodePicture(card)) return false;
  current_card_ = card;
  ClearDisplayList();

  if (options_.objects_active) {
    BuildDisplayList(card);
    if (services_.first_frames) {
      gfx::DrawTarget picture(offscreen_);
      ForEachActionRecord(card, [&](Bytes record) {
        services_.first_frames->DrawFramesUnderObjects(picture, record, card_area_);
      });
    }
  }
  composed_ = offscreen_;
  if (options_.objects_active) {
    gfx::DrawTarget target(composed_);
    if (options_.browse_mode) DrawItems(target, composed_.Bounds());
    DrawFirstFrames(target, card);
  }
  if (screen) {
    screen->RunTransition(transition, speed, nullptr, composed_, palette_, true);
  }
  return true;
}

void CardView::ForEachActionRecord(Handle card, const std::function<void(Bytes)>& visit) {
  uint16_t arrive = CardField16(handles_, card, card::kArriveAction);
  if (arrive) {
    if (Handle h = stack_.resources().Get(restype::kActn, arrive)) {
      LockedHandle bytes(handles_, h);
      visit(View(bytes));
    }
  }
  ObjectIterator walk(stack_, handles_, card, true);
  while (ObjectRef obj = walk.Next()) {
    uint16_t type = ObjectType(handles_, obj);
    uint16_t action_id = type == object::kGraphic ? ObjectField16(handles_, obj, graphic::kActionId)
                         : type == object::kTextField
                             ? ObjectField16(handles_, obj, field::kActionId)
                             : 0;
    if (type == object::kButton) {
      LockedHandle bytes(handles_, obj.card);
      Bytes view = View(bytes);
      size_t length = ObjectLengthAt(view, obj.offset);
      visit(view.Sub(obj.offset, length));
    } else if (action_id) {
      if (Handle h = stack_.resources().Get(restype::kActn, action_id)) {
        LockedHandle bytes(handles_, h);
        visit(View(bytes));
      }
    }
  }
}

void CardView::DrawFirstFrames(gfx::DrawTarget& target, Handle card) {
  if (!services_.first_frames) return;
  ForEachActionRecord(card, [&](Bytes record) {
    services_.first_frames->DrawFirstFrames(target, record, card_area_);
  });
}

bool CardView::ItemVisible(ObjectRef obj, uint16_t type, uint16_t flags) {
  if (!(flags & object::kFlagHidden)) return true;
  switch (type) {
    case object::kButton: {
      if (!options_.show_hidden_buttons) return false;
      uint16_t actions = ObjectField16(handles_, obj, button::kActionFlags);
      return !options_.hidden_buttons_sounding_only ||
             (actions & (action::kSoundFile | action::kStackSound)) != 0;
    }
    case object::kTextField:
      return options_.show_hidden_fields;
    case object::kGraphic:
      return options_.show_hidden_graphics;
    default:
      return false;
  }
}

void CardView::BuildDisplayList(Handle card) {
  ClearDisplayList();
  ObjectIterator walk(stack_, handles_, card, true);
  while (ObjectRef obj = walk.Next()) {
    auto item = MakeItem(obj);
    if (!item) continue;
    DisplayItem& added = list_.Append(std::move(item));
    if (added.type == object::kTextField && !(added.field.field_flags & fieldflag::kLocked))
      focus_field_ = &added;
  }
  RebuildCardArea();
}

void CardView::Compose(gfx::Bitmap& out) {
  out = offscreen_;
  if (out.empty() || !options_.objects_active) return;
  gfx::DrawTarget target(out);
  DrawItems(target, out.Bounds());
}

void CardView::DrawItems(gfx::DrawTarget& target, const Rect& rect, const DisplayItem* pivot,
                         bool below) {
  int pivot_index = pivot ? list_.IndexOf(pivot) : -1;
  for (size_t i = 0; i < list_.size(); ++i) {
    if (pivot_index >= 0) {
      if (int(i) == pivot_index) continue;
      if (below ? int(i) > pivot_index : int(i) < pivot_index) continue;
    }
    DisplayItem& item = list_[i];
    if (item.rect.Intersect(rect).Empty()) continue;
    DrawItem(target, item, rect);
  }
}

void CardView::Repaint(gfx::DrawTarget& window, const Rect& rect) {
  if (offscreen_.empty()) {
    window.FillRect(rect, gfx::Color::FromRgb(gfx::kWhite));
    return;
  }
  window.BitBlt(rect, offscreen_, {rect.left, rect.top}, gfx::rop::kSrcCopy);
  if (options_.objects_active && options_.browse_mode) DrawItems(window, rect);
}

bool CardView::RedrawObject(uint16_t type, uint16_t id, int transition, int speed, bool direct,
                            CardScreen* screen) {
  if (!options_.browse_mode || !current_card_ || screen_locked) return false;
  // The object of the current card or of its background, deleted ones included.
  ObjectRef obj;
  for (Handle card : {current_card_, BackgroundCardOf(stack_, handles_, current_card_)}) {
    if (!card || obj) continue;
    LockedHandle bytes(handles_, card);
    Bytes view = View(bytes);
    size_t offset = ObjectListStart(view);
    while (size_t length = ObjectLengthAt(view, offset)) {
      if (Field16(view, offset + object::kType) == type &&
          Field16(view, offset + object::kId) == id) {
        obj = {card, static_cast<uint32_t>(offset)};
        break;
      }
      offset += length;
    }
  }
  if (!obj) return false;

  DisplayItem* old_item = list_.Find(type, id);
  Rect dirty = ObjectRect(handles_, obj);
  if (old_item) dirty = dirty.Union(old_item->rect);
  int layer = 0;
  if (old_item) list_.Remove(old_item);
  if (focus_field_ == old_item) focus_field_ = nullptr;

  // The new item goes right above the shown objects that come before it in walk order;
  // hidden objects have no item and take no layer.
  ObjectIterator walk(stack_, handles_, current_card_, true);
  int shown_before = 0;
  bool listed = false;
  while (ObjectRef o = walk.Next()) {
    if (o == obj) {
      listed = true;
      break;
    }
    if (list_.Find(ObjectType(handles_, o), ObjectId(handles_, o))) ++shown_before;
  }
  if (listed) {
    layer = shown_before + 1;
    if (auto item = MakeItem(obj)) list_.Insert(std::move(item), layer);
  }
  RebuildCardArea();

  Size size = card_size();
  dirty = dirty.Intersect({0, 0, size.width, size.height});
  if (dirty.Empty()) return true;
  // Compose the dirty rectangle over the picture, in the scratch image.
  if (composed_.size() != offscreen_.size() || composed_.depth() != offscreen_.depth())
    composed_ = offscreen_;
  composed_.palette = palette_;
  gfx::DrawTarget target(composed_);
  target.BitBlt(dirty, offscreen_, {dirty.left, dirty.top}, gfx::rop::kSrcCopy);
  target.SetClip(gfx::Region(dirty));
  DrawItems(target, dirty);
  target.ClearClip();
  if (screen) {
    if (direct) {
      screen->CopyToScreen(dirty, composed_, palette_);
    } else {
      screen->RunTransition(transition, speed, &dirty, composed_, palette_, false);
    }
  }
  return true;
}

}  // namespace corvida
