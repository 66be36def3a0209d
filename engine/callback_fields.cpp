// Callback commands on text fields: reading a field's text (with its selection when it is
// on the shown card) and giving it a new one. A new text is stored into the field's record
// the way typed text is when its card is left, and the field is laid out and drawn again.
#include <algorithm>

#include "engine/callback.h"
#include "engine/find.h"

namespace corvida {
namespace {

// Replaces the object at `obj` by `record`; the card grows or shrinks by the difference.
// The new record goes in first, so a failed allocation leaves the old one in place.
bool ReplaceRecord(Handles& handles, ObjectRef obj, size_t old_length,
                   const std::vector<uint8_t>& record) {
  if (record.size() == old_length) {
    LockedHandle bytes(handles, obj.card);
    if (!bytes || bytes.size() < obj.offset + old_length) return false;
    std::copy(record.begin(), record.end(), bytes.data() + obj.offset);
    return true;
  }
  uint32_t card_length = 0;
  {
    LockedHandle bytes(handles, obj.card);
    if (!bytes || bytes.size() < card::kLength + 4) return false;
    card_length = Get32(bytes.data() + card::kLength);
  }
  if (handles.InsertBytes(obj.card, record.data(), obj.offset,
                          static_cast<uint32_t>(record.size())) != 0)
    return false;
  handles.DeleteBytes(obj.card, obj.offset + static_cast<uint32_t>(record.size()),
                      static_cast<uint32_t>(old_length));
  LockedHandle after(handles, obj.card);
  Put32(after.data() + card::kLength,
        static_cast<uint32_t>(card_length - old_length + record.size()));
  return true;
}

}  // namespace

void CallbackDispatch::GetFieldText() {
  const ResolvedObject r = Resolve();
  if (!r.obj || ObjectType(handles_, r.obj) != object::kTextField) return ClearObjectAnswer();
  std::string text = StoredFieldText(handles_, r.obj);
  uint32_t start = 0, end = 0, text_object = 0;
  if (r.asked == nav_.current_card() && nav_.view().current_card() == r.asked) {
    // The shown card's fields answer with what was typed into them.
    for (auto& [ref, item] :
         FieldItemsOfCard(stack_, handles_, nav_.view().display_list(), r.asked)) {
      if (ref != r.obj) continue;
      const TextObject& live = FieldTextOf(*item)->text;
      text = live.text();
      start = static_cast<uint32_t>(live.selection_start());
      end = static_cast<uint32_t>(live.selection_end());
      text_object = FieldTextToken(r.asked, ObjectId(handles_, r.obj));
    }
  }
  const uint32_t token = NewBlock({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  Answer(1, token);
  Answer(2, 0);
  Answer(3, start);
  Answer(4, end);
  Answer(5, text_object);
}

void CallbackDispatch::SetFieldText() {
  const uint32_t text_token = P(2);
  const uint32_t style_token = P(5);
  std::vector<uint8_t> bytes = ReadBlock(text_token, kFieldTextLimit);
  const bool readable = HandleOf(text_token, Access::kWrite).has_value();
  // Both handles are the command's now, whatever becomes of the text.
  DisposeBlock(text_token);
  if (style_token) DisposeBlock(style_token);
  Answer(2, kField);
  const ResolvedObject r = Resolve();
  if (!readable || !r.obj || ObjectType(handles_, r.obj) != object::kTextField)
    return ClearObjectAnswer();
  std::string text(bytes.begin(), bytes.end());
  // What was typed into the shown card's fields goes into their records first, so the
  // record read below is the field's latest.
  if (r.asked == nav_.current_card()) StoreShownFields();
  if (text == StoredFieldText(handles_, r.obj)) return;

  std::vector<uint8_t> record;
  size_t old_length = 0;
  {
    LockedHandle card(handles_, r.obj.card);
    Bytes view{card.data(), card.size()};
    old_length = ObjectLengthAt(view, r.obj.offset);
    if (old_length == 0) return;
    Bytes rec = view.Sub(r.obj.offset, old_length);
    const std::vector<FontEntry> fonts = StackFonts(handles_, stack_);
    FieldContent content = ReadFieldContent(rec, fonts);
    // The new text takes the style the old one began with.
    TextObject replacement(nullptr, ObjectRect(handles_, r.obj));
    StyleRun first = content.runs.empty() ? StyleRun{0, PlainStyle(fonts)} : content.runs[0];
    first.start = 0;
    replacement.SetText(std::move(text), {first});
    record = WriteFieldContent(rec, replacement);
  }
  if (!ReplaceRecord(handles_, r.obj, old_length, record)) return;
  card_changed_ = true;
  stack_.MarkChanged();
  Redraw(r.obj, r.asked, Navigation::kCommandTransition, Navigation::kCommandSpeed);
}

}  // namespace corvida
