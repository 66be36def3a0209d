#include "stackfile/stack_identity.h"

#include <cstdio>
#include <string_view>

#include "stackfile/records.h"

namespace corvida {
namespace {

// 64-bit FNV-1a: enough to tell unrelated stacks apart; the identity is not a secret.
class Fingerprint {
 public:
  void Add(std::string_view bytes) {
    for (char c : bytes) value_ = (value_ ^ static_cast<uint8_t>(c)) * 0x100000001B3ull;
  }
  void Add(uint32_t number) {
    const char bytes[4] = {char(number), char(number >> 8), char(number >> 16), char(number >> 24)};
    Add(std::string_view(bytes, 4));
  }
  std::string Hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value_));
    return text;
  }

 private:
  uint64_t value_ = 0xCBF29CE484222325ull;
};

void AddCard(Fingerprint& print, Bytes card) {
  print.Add(Field16(card, card::kId));
  print.Add(Field16(card, card::kBackgroundId));
  const std::string name = CountedText(card, card::kName, card::kNameField);
  print.Add(static_cast<uint32_t>(name.size()));
  print.Add(name);
  for (size_t at = ObjectListStart(card), length; (length = ObjectLengthAt(card, at)) != 0;
       at += length) {
    print.Add(Field16(card, at + object::kType));
    print.Add(Field16(card, at + object::kId));
  }
}

}  // namespace

std::string StackIdentity(const Stack& stack, Handles& handles) {
  Fingerprint print;
  print.Add(static_cast<uint32_t>(stack.CardCount()));
  for (int number = 1; number <= stack.CardCount(); ++number) {
    LockedHandle card(handles, stack.CardAt(number));
    if (card) AddCard(print, RecordView(card.data(), card.size()));
  }
  return print.Hex();
}

}  // namespace corvida
