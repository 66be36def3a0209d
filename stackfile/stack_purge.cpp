// Which resources the stack still refers to, and the purge of the others before a save.
#include <functional>
#include <set>
#include <vector>

#include "platform/text.h"
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
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A resource is kept for an NBA whose name it bears, alone or followed by "@".
bool NamedAfterNba(const std::string& name, const std::vector<std::string>& nba_names) {
  for (const std::string& nba : nba_names) {
    if (EqualsIgnoringCase(name, nba)) return true;
    if (name.size() > nba.size() && name[nba.size()] == '@' && StartsWithName(name, nba)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool Stack::ForEachButton(const std::function<bool(Bytes)>& visit) {
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      if (Field16(obj, object::kType) != object::kButton) continue;
      if (Field16(obj, object::kFlags) & object::kFlagDeleted) continue;
      if (visit(obj)) return true;
    }
  }
  ResourceFile* area = resources_.current();
  if (!area) return false;
  std::vector<std::pair<FourCC, uint16_t>> records;
  for (const ResourceEntry& e : area->entries) {
    if (!e.deleted() && (e.type == restype::kActn || e.type == restype::kHlnk)) {
      records.emplace_back(e.type, e.id);
    }
  }
  for (auto [type, id] : records) {
    Handle h = resources_.Get(type, id);
    if (!h) continue;
    LockedHandle bytes(handles_, h);
    Bytes data{bytes.data(), bytes.size()};
    Bytes button = type == restype::kActn ? ActionRecordView(data) : HyperlinkAction(data);
    if (button.data && visit(button)) return true;
  }
  return false;
}

bool Stack::IsResourceUsed(FourCC type, uint16_t id) {
  if (ForEachButton([&](Bytes button) { return ButtonRefers(button, type, id); })) return true;
  if (type == restype::kNBAs || !resources_.current()) return false;
  std::vector<std::string> nba_names;
  for (const ResourceEntry& e : resources_.current()->entries) {
    if (!e.deleted() && e.type == restype::kNBAs) nba_names.push_back(e.Name());
  }
  const ResourceEntry* self = resources_.Find(type, id);
  return NamedAfterNba(self ? self->Name() : std::string(), nba_names);
}

std::set<uint16_t> Stack::UsedActionIds() {
  std::set<uint16_t> ids;
  for (size_t field : {header::kArriveAction, header::kLeaveAction, header::kClickAction}) {
    ids.insert(Header16(field));
  }
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    for (size_t field : {card::kArriveAction, card::kLeaveAction, card::kClickAction}) {
      ids.insert(Field16(c, field));
    }
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      uint16_t type = Field16(obj, object::kType);
      if (type == object::kGraphic && obj.Holds(graphic::kActionId, 2)) {
        ids.insert(Field16(obj, graphic::kActionId));
      } else if (type == object::kTextField && obj.Holds(field::kActionId, 2)) {
        ids.insert(Field16(obj, field::kActionId));
      }
    }
  }
  ids.erase(0);  // 0 names no action
  return ids;
}

bool Stack::IsActionUsed(uint16_t id) {
  return UsedActionIds().count(id) != 0;
}

void Stack::PurgeUnusedResources() {
  ResourceFile* area = resources_.current();
  if (!area) return;
  std::set<uint16_t> actions = UsedActionIds();
  for (ResourceEntry& e : area->entries) {
    if (!e.deleted() && e.type == restype::kActn && !actions.count(e.id)) resources_.RemoveEntry(e);
  }
  // What the buttons refer to does not change while icons, sounds and NBAs go, and the
  // NBAs go last, so one pass over the buttons and one list of NBA names decide for all.
  std::set<std::pair<FourCC, uint16_t>> referred;
  ForEachButton([&](Bytes button) {
    uint16_t flags = Field16(button, button::kActionFlags);
    if (Field16(button, button::kDisplayFlags) & button::kShowsIcon) {
      referred.emplace(restype::kIcon, Field16(button, button::kIconId));
    }
    if (flags & action::kNba) {
      if (size_t e = FindEntry(button, action::kEntryNba)) {
        referred.emplace(restype::kNBAs, Field16(button, e + action::kEntryResourceId));
      }
    }
    if (flags & action::kStackSound) {
      if (size_t e = FindEntry(button, action::kEntryStackSound)) {
        bool strk = Field16(button, e + action::kEntrySoundFlags) & action::kSoundIsStrk;
        referred.emplace(strk ? restype::kStrk : restype::kSnd,
                         Field16(button, e + action::kEntryResourceId));
      }
    }
    return false;
  });
  std::vector<std::string> nba_names;
  for (const ResourceEntry& e : area->entries) {
    if (!e.deleted() && e.type == restype::kNBAs) nba_names.push_back(e.Name());
  }
  for (FourCC type : {restype::kIcon, restype::kSnd, restype::kStrk, restype::kNBAs}) {
    for (ResourceEntry& e : area->entries) {
      if (e.deleted() || e.type != type) continue;
      bool used = referred.count({type, e.id}) != 0 ||
                  (type != restype::kNBAs && NamedAfterNba(e.Name(), nba_names));
      if (!used) resources_.RemoveEntry(e);
    }
  }
}

}  // namespace corvida
