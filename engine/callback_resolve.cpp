// The object resolver: an object reference in p1 to p4 of the callback block. p1's high
// half picks the card (0 current, 0xFFFE the card named p4, 0xFFFF any card, else a card
// id), its low half the object (an id on any card, else a 1-based ordinal among the objects
// of its type, the background's shared objects first; 0: by the name in p3 on that card).
// p2 is the selector: 0 button, 1 text field, 2 graphic, 3 the card itself, 5 to 10 the
// stack's and the card's event 'Actn' ids.
#include "engine/callback.h"

namespace corvida {
namespace {

constexpr uint32_t kNamedCard = 0xFFFE;
constexpr uint32_t kAnyCard = 0xFFFF;

uint16_t TypeOfSelector(uint32_t selector) {
  switch (selector) {
    case CallbackDispatch::kButton:
      return object::kButton;
    case CallbackDispatch::kField:
      return object::kTextField;
    case CallbackDispatch::kGraphic:
      return object::kGraphic;
    default:
      return 0;
  }
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

Handle CallbackDispatch::CardOfPart(uint32_t part) {
  if (part == 0) return nav_.current_card();
  if (part == kNamedCard) {
    auto name = ParamString(4);
    return name ? stack_.CardByName(TrimSpaces(*name)) : 0;
  }
  return stack_.CardById(static_cast<uint16_t>(part));
}

ObjectRef CallbackDispatch::FindOnCard(Handle card, uint16_t type, uint32_t low, bool by_name) {
  if (!card) return {};
  if (!by_name) return FindNthObject(stack_, handles_, card, type, static_cast<int>(low));
  auto name = ParamString(3);
  if (!name) return {};
  return FindObjectByName(stack_, handles_, card, type, *name, true);
}

ResolvedObject CallbackDispatch::Resolve() {
  ResolvedObject r;
  if (!stack_.is_open()) return r;
  const uint32_t part = P(1) >> 16;
  const uint32_t low = P(1) & 0xFFFF;
  const uint32_t selector = P(2);
  if (selector >= kStackArrive && selector <= kCardClick) {
    // The stack's arrive, leave and click actions, then the card's.
    const Handle card = part == kAnyCard ? nav_.current_card() : CardOfPart(part);
    if (selector < kStackArrive + 3) {
      static constexpr size_t kStackFields[] = {header::kArriveAction, header::kLeaveAction,
                                                header::kClickAction};
      r.action = stack_.Header16(kStackFields[selector - kStackArrive]);
    } else if (card) {
      static constexpr size_t kCardFields[] = {card::kArriveAction, card::kLeaveAction,
                                               card::kClickAction};
      r.action = CardField16(handles_, card, kCardFields[selector - kStackArrive - 3]);
    }
    r.asked = card;
    return r;
  }
  if (selector == kCardItself) {
    r.asked = part == kAnyCard ? nav_.current_card() : CardOfPart(part);
    r.card_itself = r.asked != 0;
    return r;
  }
  const uint16_t type = TypeOfSelector(selector);
  if (!type) return r;
  if (part == kAnyCard) {
    const Handle current = nav_.current_card();
    if (low != 0) {
      r.obj = FindObjectById(stack_, handles_, current, type, static_cast<uint16_t>(low));
    } else if (auto name = ParamString(3)) {
      // By name on any card, the current one first.
      r.obj = FindObjectByName(stack_, handles_, current, type, *name, true);
      if (!r.obj) r.obj = FindObjectByNameAnywhere(stack_, handles_, type, *name, true);
    }
    r.asked = r.obj ? r.obj.card : 0;
    // A shared object found on its background answers for the card that showed it.
    if (r.obj && current && BackgroundCardOf(stack_, handles_, current) == r.obj.card)
      r.asked = current;
    return r;
  }
  const Handle card = CardOfPart(part);
  r.obj = FindOnCard(card, type, low, low == 0);
  r.asked = r.obj ? card : 0;
  return r;
}

void CallbackDispatch::AnswerResolved(const ResolvedObject& r) {
  if (r.action || (!r.obj && !r.card_itself)) {
    Answer(1, r.action);
    Answer(2, 0);
    Answer(3, 0);
    return;
  }
  if (r.card_itself) {
    Answer(1, 0);
    Answer(2, CardToken(r.asked));
    Answer(3, CardToken(r.asked));
    return;
  }
  Answer(1, r.obj.offset);
  Answer(2, CardToken(r.obj.card));
  Answer(3, CardToken(r.asked));
}

void CallbackDispatch::ClearObjectAnswer() {
  Answer(1, 0);
  Answer(2, 0);
  Answer(3, 0);
}

}  // namespace corvida
