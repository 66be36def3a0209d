#include "engine/find.h"

#include <array>

#include "engine/fieldtext_store.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

// Letters of the Windows character set folded to lower case: ASCII, the accented
// capitals 0xC0-0xDE (0xD7 is the multiplication sign) and the four capitals among
// 0x8A-0x9F.
constexpr std::array<uint8_t, 256> MakeFold() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(i);
  for (int c = 'A'; c <= 'Z'; ++c) t[size_t(c)] = uint8_t(c + 32);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) t[size_t(c)] = uint8_t(c + 32);
  t[0x8A] = 0x9A;
  t[0x8C] = 0x9C;
  t[0x8E] = 0x9E;
  t[0x9F] = 0xFF;
  return t;
}
constexpr std::array<uint8_t, 256> kFold = MakeFold();

uint8_t Fold(char c) {
  return kFold[static_cast<uint8_t>(c)];
}

}  // namespace

std::string StoredFieldText(Handles& handles, ObjectRef field) {
  LockedHandle bytes(handles, field.card);
  Bytes card{bytes.data(), bytes.size()};
  const size_t length = ObjectLengthAt(card, field.offset);
  if (length == 0) return {};
  // Only the text is wanted: the styles are read against a one-entry font list.
  static const std::vector<FontEntry> kNoFonts = ReadFontList(nullptr, 0);
  return ReadFieldContent(card.Sub(field.offset, length), kNoFonts).text;
}

std::optional<size_t> FindInText(std::string_view text, std::string_view needle, size_t from,
                                 bool case_sensitive) {
  const size_t k = needle.size();
  if (k == 0 || k > text.size()) return std::nullopt;
  if (case_sensitive) {
    const size_t at = text.find(needle, from);
    return at == std::string_view::npos ? std::nullopt : std::optional<size_t>(at);
  }
  for (size_t p = from; p + k <= text.size(); ++p) {
    size_t i = 0;
    while (i < k && Fold(text[p + i]) == Fold(needle[i])) ++i;
    if (i == k) return p;
  }
  return std::nullopt;
}

bool FieldSearched(Handles& handles, ObjectRef field, uint16_t flags) {
  if (ObjectType(handles, field) != object::kTextField) return false;
  if (ObjectFlags(handles, field) & object::kFlagHidden) return false;
  if (flags & findflag::kAllFields) return true;
  const bool locked = ObjectField16(handles, field, field::kFieldFlags) & fieldflag::kLocked;
  return (flags & (locked ? findflag::kReadOnly : findflag::kEditable)) != 0;
}

std::optional<FindMatch> SearchStack(const Stack& stack, Handles& handles, Handle current,
                                     FindState& state, const FieldTextSource& text_of) {
  const int n = stack.CardCount();
  const int c = stack.CardNumber(current);
  if (n <= 0 || c < 1 || c > n || state.text.empty()) return std::nullopt;
  const bool wrap = state.flags & findflag::kWrap;
  const bool case_sensitive = state.flags & findflag::kCaseSensitive;
  // Every card once and the current card again, or the cards from here to the last.
  const int visits = wrap ? n + 1 : n - c + 1;
  for (int visit = 0; visit < visits; ++visit) {
    const Handle card = stack.CardAt((c - 1 + visit) % n + 1);
    const uint16_t card_id = CardId(handles, card);
    // Find again resumes in the field of the last match, one character after it, but only
    // on the card that holds that match.
    const bool resume =
        visit == 0 && (state.flags & findflag::kFindAgain) && card_id == state.card_id;
    if (visit == 0) state.flags &= uint16_t(~findflag::kFindAgain);
    uint32_t skip = resume && state.objects_examined > 0 ? state.objects_examined - 1 : 0;
    uint32_t counter = 0;
    bool first_field = resume;
    ObjectIterator walk(stack, handles, card, false);
    while (ObjectRef obj = walk.Next()) {
      ++counter;
      if (skip > 0) {
        --skip;
        continue;
      }
      if (!FieldSearched(handles, obj, state.flags)) continue;
      const uint16_t field_id = ObjectId(handles, obj);
      size_t from = 0;
      if (first_field && field_id == state.field_id) from = size_t{state.position} + 1;
      first_field = false;
      const std::string text = text_of(obj);
      if (auto p = FindInText(text, state.text, from, case_sensitive)) {
        state.card_id = card_id;
        state.field_id = field_id;
        state.position = static_cast<uint32_t>(*p);
        state.objects_examined = counter;
        return FindMatch{card, card_id, obj, field_id, *p, state.text.size()};
      }
    }
  }
  return std::nullopt;
}

}  // namespace corvida
