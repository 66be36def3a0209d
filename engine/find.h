// Find Text: searches the text fields of the stack for a piece of text, card after card
// from the current one, and reports where it is found. A search again with the same text
// ("find again") resumes one character after the last match.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/cards.h"

namespace corvida {

namespace findflag {
inline constexpr uint16_t kAllFields = 0x0001;
inline constexpr uint16_t kEditable = 0x0002;  // unlocked fields
inline constexpr uint16_t kReadOnly = 0x0004;  // locked fields
inline constexpr uint16_t kCaseSensitive = 0x0010;
inline constexpr uint16_t kWrap = 0x0020;       // go on from the first card after the last
inline constexpr uint16_t kFindAgain = 0x0040;  // continue after the last match, no dialog
}  // namespace findflag

inline constexpr size_t kFindTextLimit = 255;

// The search settings and the last match; kept by the player from one search (and one
// stack) to the next.
struct FindState {
  uint16_t card_id = 0;   // of the last match
  uint16_t field_id = 0;  // of the last match
  uint32_t position = 0;  // of the last match in that field's text
  // Objects of the card examined by the search up to and including the last match's field.
  uint32_t objects_examined = 0;
  uint16_t flags = findflag::kAllFields | findflag::kWrap;
  std::string text;  // Windows characters, at most kFindTextLimit
};

struct FindMatch {
  Handle card = 0;  // the card the match is on
  uint16_t card_id = 0;
  ObjectRef field;  // the field's record (in the card or its background)
  uint16_t field_id = 0;
  size_t position = 0;  // the match in the field's text
  size_t length = 0;
};

// The text a field shows (Windows characters); the player answers with the live text of
// the shown card's fields and the stored text of the others.
using FieldTextSource = std::function<std::string(ObjectRef field)>;

// The text stored in a field's record (Windows characters); "" when it has none.
std::string StoredFieldText(Handles& handles, ObjectRef field);

// The first position at or after `from` where `needle` occurs in `text`; letters compare
// without regard to case unless `case_sensitive`. Nothing for an empty needle.
std::optional<size_t> FindInText(std::string_view text, std::string_view needle, size_t from,
                                 bool case_sensitive);

// Whether a text field record is searched under the flags: not hidden, and of a class the
// flags select (all fields, or editable / read-only ones).
bool FieldSearched(Handles& handles, ObjectRef field, uint16_t flags);

// Searches from the current card: its fields (resuming after the last match when find
// again is set and the current card holds it), then the following cards in order; with
// wrap around every card is visited once and the current card once more, else the
// search stops after the last card. A match is recorded in `state`. Find again is
// cleared once the first card has been searched.
std::optional<FindMatch> SearchStack(const Stack& stack, Handles& handles, Handle current,
                                     FindState& state, const FieldTextSource& text_of);

}  // namespace corvida
