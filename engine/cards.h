// The card and object model of the open stack: cards by position, id and name, the link
// from a card to its background, walks over a card's objects together with its
// background's shared objects, and object lookups by id, name and ordinal.
//
// Objects are named by (card record handle, byte offset), never by pointer, because a
// handle may move whenever memory is allocated. Lookups report absence with 0 / an empty
// reference and never raise an alert themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/handles.h"
#include "stackfile/records.h"
#include "stackfile/stack.h"

namespace corvida {

// An object inside a card record.
struct ObjectRef {
  Handle card = 0;
  uint32_t offset = 0;
  explicit operator bool() const { return card != 0 && offset != 0; }
  friend bool operator==(const ObjectRef&, const ObjectRef&) = default;
};

// Card fields read through the card's handle (0 when the record is too short).
uint16_t CardField16(Handles& handles, Handle card, size_t offset);
uint16_t CardId(Handles& handles, Handle card);
uint16_t CardKind(Handles& handles, Handle card);
std::string CardName(Handles& handles, Handle card);

// The card whose shared objects and picture lie under `card`, one link away: the card
// itself for a background (kind 1), else the card its background id names (0 if none).
Handle BackgroundCardOf(const Stack& stack, Handles& handles, Handle card);
// For kind 3 the id reached by following the background links to a card of kind 1; for
// every other kind (and for a broken chain) the card's own id.
uint16_t BackgroundIdOf(const Stack& stack, Handles& handles, Handle card);
// The card whose picture a card shows: the card itself when it carries a picture, else
// the first card with one along its background links (bounded); 0 when none.
Handle PictureCardOf(const Stack& stack, Handles& handles, Handle card);

// Offset of the first object of a card (the list end for an empty card).
uint32_t FirstObject(Handles& handles, Handle card);

// Exchanges the table entries of two 1-based positions; false when one is out of range.
bool SwapCards(Stack& stack, Handles& handles, int first, int second);
// Makes a new empty card after `current` (first when 0), with the stack's next id,
// the current card's background id and, for the same-background option, kind 3.
// Returns the new card's handle, or 0 when memory ran out (the caller shows alert 2224).
Handle NewCard(Stack& stack, Handles& handles, Handle current, bool same_background,
               uint16_t screen_depth);

// Walks a card's objects. With background: the background's shared objects first, then
// every object of the card. Without: the card's objects, then, for a card sharing a
// background (kind 3), that background's shared objects. Deleted objects never appear.
class ObjectIterator {
 public:
  ObjectIterator(const Stack& stack, Handles& handles, Handle start, bool with_background);
  // The next object, or an empty reference at the end.
  ObjectRef Next();

 private:
  bool Yields(uint16_t flags) const;
  bool MoveToNextCard();

  const Stack& stack_;
  Handles& handles_;
  Handle start_;
  bool with_background_;
  Handle card_ = 0;
  uint32_t offset_ = 0;  // next object to look at; 0 before the card's first
  bool yield_all_ = false;
  int cards_walked_ = 0;
};

// Object record fields (0 / empty when outside the record).
uint16_t ObjectType(Handles& handles, ObjectRef obj);
uint16_t ObjectId(Handles& handles, ObjectRef obj);
uint16_t ObjectFlags(Handles& handles, ObjectRef obj);
uint16_t ObjectField16(Handles& handles, ObjectRef obj, size_t offset);
Rect ObjectRect(Handles& handles, ObjectRef obj);
// The object's name as shown (button at 28, text field at 72, graphic at 38).
std::string ObjectName(Handles& handles, ObjectRef obj);

// The object of `type` with `id` (or whose own id is 0), on the current card first, then
// on every other card in card order; deleted objects are not skipped.
ObjectRef FindObjectById(const Stack& stack, Handles& handles, Handle current, uint16_t type,
                         uint16_t id);
// The first object of `type` named `name` on the card, background shared objects
// included; `trim` removes leading and trailing spaces from the name first.
ObjectRef FindObjectByName(const Stack& stack, Handles& handles, Handle card, uint16_t type,
                           std::string_view name, bool trim);
// The same over every card in card order.
ObjectRef FindObjectByNameAnywhere(const Stack& stack, Handles& handles, uint16_t type,
                                   std::string_view name, bool trim);
// The n-th (1-based) object of `type` in walk order, background shared objects included.
ObjectRef FindNthObject(const Stack& stack, Handles& handles, Handle card, uint16_t type, int n);
// 1-based position among the objects of `type` in the card's own list; 0 when absent.
int OrdinalOfObject(Handles& handles, Handle card, uint16_t type, uint16_t id);

}  // namespace corvida
