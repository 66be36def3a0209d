// Callback commands on text objects: the text fields of the shown card (named by the token
// command 58 answers) and text objects callers make for themselves (73). Inserting text,
// showing it again, scrolling, taking a field's stored style again, disposing.
#include <algorithm>

#include "engine/callback.h"
#include "engine/fieldtext.h"

namespace corvida {
namespace {

constexpr uint32_t kScrollPageFirst = 1u << 30;
constexpr uint32_t kScrollOneLine = 1u << 31;
constexpr int kPageTowardsEnd = -2;
constexpr int kLineTowardsEnd = -1;

FieldText* ShownFieldText(CardView& view, uint16_t field_id) {
  DisplayItem* item = view.display_list().Find(object::kTextField, field_id);
  return item ? FieldTextOf(*item) : nullptr;
}

}  // namespace

uint32_t CallbackDispatch::FieldTextToken(Handle card, uint16_t field_id) {
  for (auto& [token, text] : texts_)
    if (!text.own && text.card == card && text.field_id == field_id) return token;
  const uint32_t token = tokens_.Mint(TokenKind::kTextObject, ++next_text_);
  if (token) texts_[token] = CallerText{card, field_id, nullptr};
  return token;
}

TextObject* CallbackDispatch::TextOf(uint32_t token) {
  auto it = texts_.find(token);
  if (it == texts_.end() || !tokens_.Resolve(token, TokenKind::kTextObject)) return nullptr;
  CallerText& text = it->second;
  if (text.own) return text.own.get();
  CardView& view = nav_.view();
  if (!text.card || text.card != nav_.current_card() || view.current_card() != text.card)
    return nullptr;
  FieldText* field = ShownFieldText(view, text.field_id);
  return field ? &field->text : nullptr;
}

void CallbackDispatch::RepaintText(uint32_t token) {
  auto it = texts_.find(token);
  if (it == texts_.end() || it->second.own || nav_.view().screen_locked) return;
  DisplayItem* item = nav_.view().display_list().Find(object::kTextField, it->second.field_id);
  if (item) host_.RepaintArea(item->rect);
}

void CallbackDispatch::InsertText() {
  TextObject* text = TextOf(P(1));
  if (!text) return;
  const std::vector<uint8_t> bytes = ReadBlock(P(2), std::min(P(3), kFieldTextLimit));
  if (bytes.empty() || text->size() + bytes.size() > kFieldTextLimit) return;
  text->Insert({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  RepaintText(P(1));
}

void CallbackDispatch::RedisplayText() {
  if (TextOf(P(1))) RepaintText(P(1));
}

uint32_t CallbackDispatch::FieldToScroll() {
  Answer(2, kField);
  ResolvedObject r = Resolve();
  if (!r.obj && ParamString(3).value_or("").empty()) {
    // No field named: the first text field of the current card.
    Answer(1, 1);
    r = Resolve();
  }
  if (!r.obj || r.asked != nav_.current_card()) return 0;
  return FieldTextToken(r.asked, ObjectId(handles_, r.obj));
}

void CallbackDispatch::ScrollField() {
  uint32_t token = P(2);
  if (token == 0) {
    if (P(1) >> 16) return Answer(1, 1);
    token = FieldToScroll();
  }
  TextObject* text = TextOf(token);
  const uint32_t how = P(5);
  Answer(1, 0);
  if (!text) return;
  if (how & kScrollPageFirst) text->Scroll(kPageTowardsEnd);
  if (how & kScrollOneLine)
    text->Scroll(kLineTowardsEnd);
  else
    text->ScrollPixels(static_cast<int16_t>(how & 0xFFFF));
  RepaintText(token);
  const ScrollValues values = text->GetScrollValues();
  Answer(1, values.value >= values.maximum ? 1 : 0);
}

void CallbackDispatch::NewTextObject() {
  const std::vector<uint8_t> rect = ReadBlock(P(1), 16);
  size_t own = 0;
  for (auto& [token, text] : texts_) own += text.own ? 1 : 0;
  Answer(1, 0);
  if (rect.size() < 16 || own >= kOwnTextLimit) return;
  int sides[4];
  for (size_t i = 0; i < 4; ++i)
    sides[i] = std::clamp(static_cast<int32_t>(ReadLE32(rect, i * 4)), -32768, 32767);
  const uint32_t token = tokens_.Mint(TokenKind::kTextObject, ++next_text_);
  if (!token) return;
  texts_[token] = CallerText{
      0, 0, std::make_unique<TextObject>(nullptr, Rect{sides[0], sides[1], sides[2], sides[3]})};
  Answer(1, token);
}

void CallbackDispatch::DisposeTextObject() {
  auto it = texts_.find(P(1));
  if (it == texts_.end() || !tokens_.Resolve(P(1), TokenKind::kTextObject)) return;
  // A field's text object stays the field's: only the caller's name for it goes.
  tokens_.Revoke(P(1));
  texts_.erase(it);
}

void CallbackDispatch::ApplyFieldStyle() {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (!r.obj || ObjectType(handles_, r.obj) != object::kTextField) return;
  // The field's item is made again from its record, typed text stored first.
  Redraw(r.obj, r.asked, Navigation::kCommandTransition, Navigation::kCommandSpeed);
}

}  // namespace corvida
