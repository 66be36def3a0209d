// Callback commands that move between cards and answer about the stack's cards: where
// they are, in what order, which objects they hold.
#include "engine/callback.h"

namespace corvida {
namespace {

// Command 5's packed transition: low half 1 to 27, high half speed 0, 8 or 16; anything
// else goes with the player's own transition.
std::pair<int, int> PackedTransition(uint32_t packed) {
  const int id = static_cast<int>(packed & 0xFFFF);
  const int speed = static_cast<int>(packed >> 16);
  if (id < 1 || id > 27 || (speed != 0 && speed != 8 && speed != 16))
    return {Navigation::kCommandTransition, Navigation::kCommandSpeed};
  return {id, speed};
}

}  // namespace

void CallbackDispatch::GoFirstCard() {
  nav_.GoFirstCard(block_.signed_param(1), block_.signed_param(2));
}
void CallbackDispatch::GoLastCard() {
  nav_.GoLastCard(block_.signed_param(1), block_.signed_param(2));
}
void CallbackDispatch::GoPreviousCard() {
  nav_.GoPreviousCard(block_.signed_param(1), block_.signed_param(2));
}
void CallbackDispatch::GoNextCard() {
  nav_.GoNextCard(block_.signed_param(1), block_.signed_param(2));
}

void CallbackDispatch::GoToCard() {
  // Card ids are 16 bits: a larger number names no card rather than its low half's.
  if (P(1) > 0xFFFF) return;
  uint16_t id = static_cast<uint16_t>(P(1));
  if (P(1) == 0) {
    auto name = ParamString(3);
    const Handle card = name ? stack_.CardByName(*name) : 0;
    id = card ? CardId(handles_, card) : 0;
  }
  if (id == 0 || !stack_.is_open()) return;
  auto [transition, speed] = PackedTransition(P(2));
  nav_.GoToCard(id, transition, speed, true);
}

void CallbackDispatch::ShowAgain() {
  nav_.RedisplayCard();
}

void CallbackDispatch::StackPath() {
  const std::string& path = stack_.path();
  if (path.empty() || path.size() > kStringLimit) return Answer(1, 0);
  Answer(1, AnswerBlock(7, Counted(path)));
}

void CallbackDispatch::CardCountOf() {
  Answer(1, static_cast<uint32_t>(stack_.CardCount()));
}

void CallbackDispatch::StackRecords() {
  Answer(1, tokens_.Mint(TokenKind::kRecord, static_cast<uint32_t>(stack_.header())));
  Answer(2, tokens_.Mint(TokenKind::kRecord, static_cast<uint32_t>(stack_.card_table())));
}

void CallbackDispatch::FirstCard() {
  Answer(1, CardToken(stack_.CardAt(1)));
}

void CallbackDispatch::CurrentCard() {
  const Handle card = nav_.current_card();
  Answer(1, CardToken(card));
  Answer(2, card ? static_cast<uint32_t>(stack_.CardNumber(card)) : 0);
}

void CallbackDispatch::CardAfter() {
  const Handle card = CardOfToken(P(1));
  const int next = card ? stack_.CardNumber(card) + 1 : 0;
  const Handle after = next ? stack_.CardAt(next) : 0;
  Answer(1, CardToken(after));
  Answer(2, after ? static_cast<uint32_t>(next) : 0);
}

void CallbackDispatch::FirstObjectOf() {
  const Handle card = CardOfToken(P(1));
  Answer(1, card ? FirstObject(handles_, card) : 0);
}

void CallbackDispatch::ObjectAfter() {
  const Handle card = CardOfToken(P(2));
  const uint32_t offset = P(1);
  if (!card || !IsObjectStart(card, offset)) return Answer(1, 0);
  LockedHandle bytes(handles_, card);
  Answer(1, static_cast<uint32_t>(offset + ObjectLengthAt({bytes.data(), bytes.size()}, offset)));
}

void CallbackDispatch::SwapTwoCards() {
  int first = block_.signed_param(1), second = block_.signed_param(2);
  if (first == 0 || second == 0) {
    auto a = ParamString(3), b = ParamString(4);
    first = a ? stack_.CardNumber(stack_.CardByName(*a)) : 0;
    second = b ? stack_.CardNumber(stack_.CardByName(*b)) : 0;
  }
  if (!SwapCards(stack_, handles_, first, second)) return;
  card_changed_ = true;
  nav_.RedisplayCard();
}

void CallbackDispatch::MarkCardChanged() {
  card_changed_ = true;
}

void CallbackDispatch::MarkBothChanged() {
  card_changed_ = background_changed_ = true;
}

void CallbackDispatch::CardSize() {
  Answer(1, stack_.is_open() ? stack_.Header16(header::kCardWidth) : 0);
  Answer(2, stack_.is_open() ? stack_.Header16(header::kCardHeight) : 0);
}

void CallbackDispatch::CardWithId() {
  Answer(1, P(1) > 0xFFFF ? 0 : CardToken(stack_.CardById(static_cast<uint16_t>(P(1)))));
}

void CallbackDispatch::CardAtPosition() {
  const int position = block_.signed_param(1);
  Answer(1, position >= 1 ? CardToken(stack_.CardAt(position)) : 0);
}

void CallbackDispatch::SetReturnPoint() {
  if (const Handle card = nav_.current_card()) nav_.SetHome(stack_.path(), CardId(handles_, card));
}

void CallbackDispatch::CardInfo() {
  const Handle card = P(1) == 0 ? nav_.current_card() : CardOfToken(P(1));
  if (!card) return ClearObjectAnswer();
  Answer(1, CardId(handles_, card));
  Answer(2, static_cast<uint32_t>(stack_.CardNumber(card)));
  Answer(3, AnswerBlock(173, Counted(CardName(handles_, card))));
}

}  // namespace corvida
