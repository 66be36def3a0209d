// Text objects of the shown card's fields: made from records and external files, drawn,
// and stored back.
#include "engine/fieldtext.h"

#include <algorithm>

#include "platform/files.h"
#include "stackfile/mactext.h"

namespace corvida {

namespace {

constexpr int kInset = 3;

// External files are ordinary text files of the machine: lines end with CR LF (or LF);
// fields end paragraphs with CR.
std::string FromFileText(const std::string& in) {
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;
    out += in[i] == '\n' ? '\r' : in[i];
  }
  return out;
}

std::string ToFileText(const std::string& in) {
  std::string out;
  out.reserve(in.size() + in.size() / 16);
  for (char c : in) {
    out += c;
    if (c == '\r') out += '\n';
  }
  return out;
}

bool ReadTextFile(const std::string& path, std::string& out) {
  File file = File::Open(path, File::Mode::kRead);
  if (!file.is_open()) return false;
  const int64_t size = file.Size();
  if (size < 0 || size > kMaxExternalText) return false;
  out.resize(static_cast<size_t>(size));
  return file.Read(out.data(), out.size()) == size;
}

gfx::Color FieldColour(const gfx::DrawTarget& target, int index) {
  const gfx::Palette& palette = target.palette();
  if (index < 0 || index >= palette.count) return gfx::Color::FromRgb(gfx::kBlack);
  if (target.bitmap().indexed()) return gfx::Color::Index(static_cast<uint8_t>(index));
  return gfx::Color::FromRgb(palette.At(index));
}

}  // namespace

FieldText* FieldTextOf(DisplayItem& item) {
  return item.type == object::kTextField ? dynamic_cast<FieldText*>(item.field.text.get())
                                         : nullptr;
}

const FieldText* FieldTextOf(const DisplayItem& item) {
  return item.type == object::kTextField ? dynamic_cast<const FieldText*>(item.field.text.get())
                                         : nullptr;
}

Rect FieldViewRect(const Rect& field, uint16_t field_flags) {
  Rect view = field.Inset(kInset, kInset);
  // Text wraps before the scroll bar rather than running under it.
  if (field_flags & fieldflag::kScrollBar)
    view.right = std::max(view.left, field.right - ScrollBarMetrics{}.width - 1);
  return view;
}

ScrollBarGeometry FieldScrollBar(DisplayItem& item, const ScrollBarMetrics& metrics) {
  FieldText* field = FieldTextOf(item);
  int offset = 0;
  if (field && field->dragged_thumb >= 0) {
    offset = field->dragged_thumb;
  } else if (field) {
    offset = ThumbOffsetFor(item.rect, field->text.GetScrollValues(), metrics);
  }
  return ScrollBarLayout(item.rect, offset, metrics);
}

std::vector<FontEntry> StackFonts(Handles& handles, const Stack& stack) {
  if (!stack.font_list()) return ReadFontList(nullptr, 0);
  LockedHandle bytes(handles, stack.font_list());
  return ReadFontList(bytes.data(), bytes.size());
}

void CreateTextObject(Bytes record, DisplayItem& item, const std::vector<FontEntry>& fonts,
                      const FieldTextServices& services) {
  const Rect rect{GetI16(record.data + 4), GetI16(record.data + 6), GetI16(record.data + 8),
                  GetI16(record.data + 10)};
  const uint16_t field_flags = Field16(record, field::kFieldFlags);
  auto field = std::make_unique<FieldText>(services.fonts, FieldViewRect(rect, field_flags));
  field->field_flags = field_flags;
  field->object_flags = Field16(record, object::kFlags);
  field->text.SetDefaultStyle(PlainStyle(fonts));
  if (field->object_flags & object::kFlagExternalFile) {
    field->external = true;
    const size_t length = Field32(record, field::kPathLength);
    const std::string stored = TerminatedText(record, field::kPath, length);
    field->external_path = ResolveStoredPath(stored, services.roots, services.mac_paths);
    if (field->external_path.empty() && services.missing)
      field->external_path =
          services.missing->AskFor(stored, object::kTextField, Field16(record, object::kId));
    std::string bytes;
    if (!field->external_path.empty() && ReadTextFile(field->external_path, bytes)) {
      field->text.SetText(FromFileText(bytes));
    }
  } else {
    FieldContent content = ReadFieldContent(record, fonts);
    field->text.SetText(std::move(content.text), std::move(content.runs));
  }
  field->text.SetScroll(static_cast<int16_t>(Field16(record, fieldtext::kScroll)));
  field->text.dirty = false;
  item.field.text = std::move(field);
}

void DrawTextField(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip) {
  FieldText* field = FieldTextOf(item);
  const Rect area = item.rect.Intersect(clip);
  if (area.Empty()) return;
  // Fields with flag 0x0080 are drawn over the card without a background or frame.
  const bool transparent = item.object_flags & object::kFlagRollover;
  if (!transparent) {
    const gfx::DrawState saved = target.state();
    gfx::Region device = target.ToDevice(gfx::Region(area));
    target.SetClip(saved.clip ? saved.clip->Intersect(device) : device);
    target.FillRect(item.rect, gfx::Color::FromRgb(gfx::kWhite));
    target.FrameRect(item.rect, gfx::Brush::Solid(gfx::Color::FromRgb(gfx::kBlack)), 1);
    target.state() = saved;
  }
  if (!field) return;
  field->text.SetView(FieldViewRect(item.rect, field->field_flags));
  field->text.SetFieldColour(FieldColour(target, item.field.colour));
  field->text.Draw(target, area);
  if (field->has_scroll_bar()) DrawScrollBar(target, FieldScrollBar(item), field->pressed, area);
}

void DisposeTextObject(DisplayItem& item) {
  item.field.text.reset();
}

void TextFieldPainter::Attach(DisplayItem& item, Bytes record) {
  CreateTextObject(record, item, StackFonts(handles_, stack_), services_);
}

void TextFieldPainter::Draw(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip) {
  DrawTextField(target, item, clip);
}

bool WriteExternalText(const FieldText& field, const FieldTextServices& services) {
  if (!services.local_stack || field.external_path.empty()) return false;
  // Only the stack's own files are written back: those below its folder. The media and
  // download folders serve every stack, so their files are only read.
  if (!InsideFolder(field.external_path, services.roots.stack_folder)) return false;
  // Never through a link, never through a temporary name someone could have planted.
  return WriteFileAtomically(field.external_path, ToFileText(field.text.text()));
}

namespace {

// Stores one field into its record: the scroll position always, the text when changed.
bool StoreField(Handles& handles, ObjectRef obj, FieldText& field,
                const FieldTextServices& services) {
  std::vector<uint8_t> rewritten;
  size_t old_length = 0;
  uint32_t card_length = 0;
  {
    LockedHandle bytes(handles, obj.card);
    Bytes card{bytes.data(), bytes.size()};
    old_length = ObjectLengthAt(card, obj.offset);
    if (old_length == 0) return false;
    Bytes rec = card.Sub(obj.offset, old_length);
    if (rec.Holds(fieldtext::kScroll, 2))
      Put16(rec.data + fieldtext::kScroll, static_cast<uint16_t>(field.text.scroll()));
    if (!field.text.dirty) return false;
    if (field.external) {
      if (!WriteExternalText(field, services)) return false;
      field.text.dirty = false;
      return true;
    }
    rewritten = WriteFieldContent(rec, field.text);
    card_length = Get32(card.data + card::kLength);
    if (rewritten.size() == old_length) {
      std::copy(rewritten.begin(), rewritten.end(), rec.data);
      field.text.dirty = false;
      return true;
    }
  }
  // The record changes length: the card grows or shrinks by the difference. The new
  // record goes in first, so a failed allocation leaves the old one in place.
  if (handles.InsertBytes(obj.card, rewritten.data(), obj.offset,
                          static_cast<uint32_t>(rewritten.size())) != 0)
    return false;
  handles.DeleteBytes(obj.card, obj.offset + static_cast<uint32_t>(rewritten.size()),
                      static_cast<uint32_t>(old_length));
  LockedHandle after(handles, obj.card);
  Put32(after.data() + card::kLength,
        static_cast<uint32_t>(card_length - old_length + rewritten.size()));
  field.text.dirty = false;
  return true;
}

}  // namespace

std::vector<std::pair<ObjectRef, DisplayItem*>> FieldItemsOfCard(const Stack& stack,
                                                                 Handles& handles,
                                                                 DisplayList& list, Handle card) {
  // Items follow the walk order, so the n-th field of the walk with an item is matched to
  // the next field item with its id.
  std::vector<std::pair<ObjectRef, DisplayItem*>> fields;
  size_t next_item = 0;
  ObjectIterator walk(stack, handles, card, true);
  while (ObjectRef obj = walk.Next()) {
    if (ObjectType(handles, obj) != object::kTextField) continue;
    const uint16_t id = ObjectId(handles, obj);
    for (size_t i = next_item; i < list.size(); ++i) {
      if (list[i].type == object::kTextField && list[i].id == id) {
        if (FieldTextOf(list[i])) fields.push_back({obj, &list[i]});
        next_item = i + 1;
        break;
      }
    }
  }
  return fields;
}

int SaveFieldTexts(Stack& stack, Handles& handles, DisplayList& list, Handle card,
                   const FieldTextServices& services) {
  std::vector<std::pair<ObjectRef, FieldText*>> fields;
  for (auto& [obj, item] : FieldItemsOfCard(stack, handles, list, card))
    fields.push_back({obj, FieldTextOf(*item)});
  // Later objects first, so a record that changes length moves no object still to come.
  std::sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
    return a.first.card != b.first.card ? a.first.card < b.first.card
                                        : a.first.offset > b.first.offset;
  });
  int stored = 0;
  for (auto& [obj, field] : fields) {
    if (!StoreField(handles, obj, *field, services)) continue;
    ++stored;
    if (!field->external) stack.MarkChanged();  // a text file of its own is written at once
  }
  return stored;
}

}  // namespace corvida
