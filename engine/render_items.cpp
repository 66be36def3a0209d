// Making display items from object records: button shapes, icons and names; graphic
// pictures (stored in the record or in a file of their own) and their masks; fields.
#include <algorithm>
#include <vector>

#include "engine/render.h"
#include "platform/files.h"
#include "stackfile/actions.h"
#include "stackfile/pixpak.h"

namespace corvida {

namespace {

// Size of a mask picture's head: width, height and two fields.
constexpr size_t kMaskHead = 8;

int ColourIndex(uint16_t stored) {
  return static_cast<int>(stored) - 1;
}

// The bytes of a graphic record after its fixed fields: its file reference or its own
// picture, less the pad byte and the mask that follow.
std::span<const uint8_t> GraphicTail(Bytes rec) {
  uint16_t flags = Field16(rec, object::kFlags);
  size_t pad = (flags & object::kFlagPadByte) ? 1 : 0;
  uint32_t mask_length = Field32(rec, graphic::kMaskLength);
  size_t end = rec.size >= pad ? rec.size - pad : 0;
  if ((Field16(rec, graphic::kGraphicFlags) & graphic::kFlagMask) && mask_length <= end)
    end -= mask_length;
  if (end <= graphic::kPath) return {};
  return {rec.data + graphic::kPath, end - graphic::kPath};
}

}  // namespace

bool MaskFromRows(std::span<const uint8_t> rows, int width, int height, gfx::Bitmap& out) {
  if (width < 1 || height < 1 || width > 32767 || height > 32767) return false;
  size_t row_bytes = size_t(width + 15) / 16 * 2;
  if (rows.size() / row_bytes < size_t(height)) return false;
  if (!out.Create(width, height, 1)) return false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = rows.data() + size_t(y) * row_bytes;
    std::copy(src, src + std::min<size_t>(row_bytes, size_t(out.stride())), out.Row(y));
  }
  return true;
}

std::shared_ptr<const Icon> CardView::IconFor(uint16_t id) {
  Handle data = stack_.resources().Get(restype::kIcon, id);
  if (!data) return nullptr;
  auto cached = icons_.find(id);
  if (cached != icons_.end() && cached->second.first == data) return cached->second.second;
  LockedHandle bytes(handles_, data);
  auto icon = ParseIcon({bytes.data(), bytes.size()});
  icons_[id] = {data, icon};
  return icon;
}

Font* CardView::ButtonFont() {
  if (!button_font_) {
    button_font_ = services_.fonts ? services_.fonts->GetFont(options_.button_font,
                                                              options_.button_font_size, 0)
                                   : MakeBuiltinFont(options_.button_font_size, 0);
  }
  return button_font_.get();
}

std::string GraphicStoredPath(Bytes rec) {
  if (!(Field16(rec, object::kFlags) & object::kFlagExternalFile)) return "";
  std::span<const uint8_t> tail = GraphicTail(rec);
  return TerminatedText(rec, graphic::kPath, tail.size());
}

bool DecodeGraphicPicture(Bytes rec, gfx::Bitmap& out, bool* unknown_packing) {
  if (Field16(rec, object::kFlags) & object::kFlagExternalFile) return false;
  // The picture stored in the record: a PixPak block after the fixed fields.
  std::span<const uint8_t> rest = GraphicTail(rec);
  PixPakHeader head;
  if (!ReadPixPakHeader(rest, head) || head.magic != pixpak::kMagic ||
      head.block_length > rest.size()) {
    return false;
  }
  // An undecodable picture (an unknown packing type included) is drawn as missing.
  const PixPakResult decoded = DecodePixPak(rest.first(head.block_length), out);
  if (unknown_packing && decoded == PixPakResult::kUnknownPacking) *unknown_packing = true;
  return decoded == PixPakResult::kDecoded;
}

bool CardView::LoadGraphicPicture(ObjectRef obj, Bytes rec, DisplayItem& item) {
  (void)obj;
  if (Field16(rec, object::kFlags) & object::kFlagExternalFile) {
    std::string stored = GraphicStoredPath(rec);
    if (!services_.pictures || stored.empty()) return false;
    std::string path = ResolveStoredPath(stored, services_.roots, stack_.names_converted());
    if (path.empty() && services_.missing)
      path = services_.missing->AskFor(stored, object::kGraphic, Field16(rec, object::kId));
    if (path.empty()) return false;
    item.graphic.picture = services_.pictures->Get(path);
    return item.graphic.picture != nullptr;
  }
  // Its own picture, known by the bytes after the fixed fields.
  StackPictureUse use{StackPictureUse::kGraphicPicture, 0, 0, 0};
  bool unknown_packing = false;
  item.graphic.picture = stack_pictures_.Get(GraphicTail(rec), use, [&](gfx::Bitmap& out) {
    return DecodeGraphicPicture(rec, out, &unknown_packing);
  });
  if (unknown_packing && services_.unknown_packing) services_.unknown_packing();
  return item.graphic.picture != nullptr;
}

std::unique_ptr<DisplayItem> CardView::MakeItem(ObjectRef obj) {
  // Work on a copy of the record: loading icons and pictures may allocate handles.
  std::vector<uint8_t> copy;
  {
    LockedHandle bytes(handles_, obj.card);
    Bytes view{bytes.data(), bytes.size()};
    size_t length = ObjectLengthAt(view, obj.offset);
    if (length == 0) return nullptr;
    copy.assign(view.data + obj.offset, view.data + obj.offset + length);
  }
  Bytes rec{copy.data(), copy.size()};
  uint16_t type = Field16(rec, object::kType);
  uint16_t flags = Field16(rec, object::kFlags);
  if (flags & object::kFlagDeleted) return nullptr;
  if (!ItemVisible(obj, type, flags)) return nullptr;

  auto item = std::make_unique<DisplayItem>();
  item->type = type;
  item->id = Field16(rec, object::kId);
  item->object_flags = flags;
  item->rect = {GetI16(rec.data + 4), GetI16(rec.data + 6), GetI16(rec.data + 8),
                GetI16(rec.data + 10)};
  item->region = gfx::Region(item->rect);

  switch (type) {
    case object::kButton: {
      auto& b = item->button;
      b.style = std::min<int>(Field16(rec, button::kStyle), 7);
      uint16_t display = Field16(rec, button::kDisplayFlags);
      b.show_name = display & 0x08;
      b.highlight = !(display & 0x04);
      b.show_icon = display & button::kShowsIcon;
      b.text_colour = ColourIndex(Field16(rec, button::kTextColor));
      b.button_colour = ColourIndex(Field16(rec, button::kButtonColor));
      b.name = CountedText(rec, button::kName, button::kNameField);
      item->cursor_id = Field16(rec, button::kCursorId);
      if (b.show_icon) b.icon = IconFor(Field16(rec, button::kIconId));
      if (b.style <= 1) {
        int lh = ButtonFont()->metrics().m_height;
        Rect shape = b.style == 1 ? item->rect.Inset(2, 2) : item->rect;
        item->region = gfx::Region::RoundRect(shape, lh, lh);
      } else if (b.style >= 5) {
        // Shaped by the picture of the button's entry 130: width, height, then rows.
        item->region = gfx::Region();
        Bytes record = ActionRecordView(rec);
        size_t entry = FindEntry(record, action::kEntryButtonPicture);
        size_t entry_length = entry ? EntryLengthAt(record, entry) : 0;
        if (entry_length >= action::kEntryData + 4) {
          Bytes e = record.Sub(entry, entry_length);
          int w = Field16(e, action::kEntryData), h = Field16(e, action::kEntryData + 2);
          std::span<const uint8_t> rows(e.data + action::kEntryData + 4,
                                        e.size - action::kEntryData - 4);
          if (MaskFromRows(rows, w, h, b.shape_mask)) {
            b.mask_region = gfx::Region::FromMask(b.shape_mask, {item->rect.left, item->rect.top});
            item->region = b.mask_region;
          }
        }
      }
      break;
    }
    case object::kGraphic: {
      if (Field16(rec, graphic::kGraphicFlags) == 32) return nullptr;
      auto& g = item->graphic;
      g.frame_width = Field16(rec, graphic::kFrameWidth);
      g.frame_colour = ColourIndex(Field16(rec, graphic::kFrameColor));
      g.action_id = Field16(rec, graphic::kActionId);
      item->cursor_id = Field16(rec, graphic::kCursorId);
      if (LoadGraphicPicture(obj, rec, *item)) {
        Rect whole = g.picture->Bounds();
        int ox = GetI16(rec.data + 18), oy = GetI16(rec.data + 20);
        int sw = GetI16(rec.data + 34), sh = GetI16(rec.data + 36);
        g.source = sw > 0 && sh > 0 ? Rect{ox, oy, ox + sw, oy + sh}.Intersect(whole) : whole;
        if (g.source.Empty()) g.source = whole;
      }
      uint32_t mask_length = Field32(rec, graphic::kMaskLength);
      size_t pad = (flags & object::kFlagPadByte) ? 1 : 0;
      if ((Field16(rec, graphic::kGraphicFlags) & graphic::kFlagMask) && mask_length >= kMaskHead &&
          size_t{mask_length} + pad <= rec.size) {
        size_t at = rec.size - pad - mask_length;
        if (at >= graphic::kFieldsEnd) {
          int w = Field16(rec, at), h = Field16(rec, at + 2);
          std::span<const uint8_t> rows(rec.data + at + kMaskHead, mask_length - kMaskHead);
          if (MaskFromRows(rows, w, h, g.mask)) {
            g.mask_region = gfx::Region::FromMask(g.mask, {item->rect.left, item->rect.top});
            item->region = g.mask_region;
          }
        }
      }
      break;
    }
    case object::kTextField: {
      auto& f = item->field;
      f.colour = ColourIndex(Field16(rec, field::kTextColor));
      f.field_flags = Field16(rec, field::kFieldFlags);
      f.action_id = Field16(rec, field::kActionId);
      item->cursor_id = Field16(rec, field::kCursorId);
      if (services_.fields) services_.fields->Attach(*item, rec);
      break;
    }
    default:
      return nullptr;  // objects of unknown types are not displayed
  }
  return item;
}

}  // namespace corvida
