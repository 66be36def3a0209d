// Which resources the stack still refers to, and the purge of the others before a save.
#include <vector>

#include "stackfile/actions.h"
#include "stackfile/mactext.h"
#include "stackfile/stack.h"

namespace corvida {

namespace {

// Whether a native button record (an ActionRecord view) refers to resource (type, id).
bool ButtonRefers(Bytes button, FourCC type, uint16_t id) {
  uint16_t flags = Field16(button, button::kActionFlags);
  if (type == restype::kIcon) {
    return (Field16(button, button::kDisplayFlags) & button::kShowsIcon) &&
           Field16(button, button::kIconId) == id;
  }
  if (type == restype::kNBAs) {
    if (!(flags & action::kNba)) return false;
    size_t entry = FindEntry(button, action::kEntryNba);
    return entry && Field16(button, entry + action::kEntryResourceId) == id;
  }
  if (type == restype::kSnd || type == restype::kStrk) {
    if (!(flags & action::kStackSound)) return false;
    size_t entry = FindEntry(button, action::kEntryStackSound);
    if (!entry || Field16(button, entry + action::kEntryResourceId) != id) return false;
    bool strk = Field16(button, entry + action::kEntrySoundFlags) & action::kSoundIsStrk;
    return strk == (type == restype::kStrk);
  }
  return false;
}

// Case-insensitive for A-Z only, as names compare.
bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

}  // namespace

bool Stack::IsResourceUsed(FourCC type, uint16_t id) {
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      if (Field16(obj, object::kType) != object::kButton) continue;
      if (Field16(obj, object::kFlags) & object::kFlagDeleted) continue;
      if (ButtonRefers(obj, type, id)) return true;
    }
  }
  ResourceFile* area = resources_.current();
  if (!area) return false;
  // Resource lists may change while data loads; walk by index, loading as we go.
  std::vector<std::pair<FourCC, uint16_t>> records;
  for (const ResourceEntry& e : area->entries) {
    if (!e.deleted() && (e.type == restype::kActn || e.type == restype::kHlnk)) {
      records.emplace_back(e.type, e.id);
    }
  }
  for (auto [rtype, rid] : records) {
    Handle h = resources_.Get(rtype, rid);
    if (!h) continue;
    LockedHandle bytes(handles_, h);
    Bytes data{bytes.data(), bytes.size()};
    Bytes button = rtype == restype::kActn ? ActionRecordView(data) : HyperlinkAction(data);
    if (button.data && ButtonRefers(button, type, id)) return true;
  }
  if (type == restype::kNBAs) return false;

  const ResourceEntry* self = resources_.Find(type, id);
  std::string name = self ? self->Name() : std::string();
  for (const ResourceEntry& e : area->entries) {
    if (e.deleted() || e.type != restype::kNBAs) continue;
    std::string nba = e.Name();
    if (NamesEqual(name, nba)) return true;
    if (StartsWithName(name, nba) && name.size() > nba.size() && name[nba.size()] == '@') {
      return true;
    }
  }
  return false;
}

bool Stack::IsActionUsed(uint16_t id) {
  if (id == 0) return false;  // 0 names no action
  for (size_t field : {header::kArriveAction, header::kLeaveAction, header::kClickAction}) {
    if (Header16(field) == id) return true;
  }
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    for (size_t field : {card::kArriveAction, card::kLeaveAction, card::kClickAction}) {
      if (Field16(c, field) == id) return true;
    }
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      uint16_t type = Field16(obj, object::kType);
      if (type == object::kGraphic && obj.Holds(graphic::kActionId, 2) &&
          Field16(obj, graphic::kActionId) == id) {
        return true;
      }
      if (type == object::kTextField && obj.Holds(field::kActionId, 2) &&
          Field16(obj, field::kActionId) == id) {
        return true;
      }
    }
  }
  return false;
}

void Stack::PurgeUnusedResources() {
  ResourceFile* area = resources_.current();
  if (!area) return;
  auto ids_of = [&](FourCC type) {
    std::vector<uint16_t> ids;
    for (const ResourceEntry& e : area->entries) {
      if (!e.deleted() && e.type == type) ids.push_back(e.id);
    }
    return ids;
  };
  for (uint16_t id : ids_of(restype::kActn)) {
    if (!IsActionUsed(id)) resources_.Remove(restype::kActn, id);
  }
  for (FourCC type : {restype::kIcon, restype::kSnd, restype::kStrk, restype::kNBAs}) {
    for (uint16_t id : ids_of(type)) {
      if (!IsResourceUsed(type, id)) resources_.Remove(type, id);
    }
  }
}

}  // namespace corvida
