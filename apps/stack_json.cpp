// The stack as JSON: header fields, cards with their objects (field texts included), and
// the resource list.
#include "apps/stack_json.h"

#include <algorithm>

#include "apps/build_session.h"
#include "engine/fieldtext.h"
#include "stackfile/records.h"

namespace corvida::app {
namespace {

using json = nlohmann::ordered_json;

const char* TypeName(uint16_t type) {
  switch (type) {
    case object::kGraphic:
      return "graphic";
    case object::kButton:
      return "button";
    case object::kTextField:
      return "field";
    default:
      return nullptr;
  }
}

std::string ObjectName(Bytes obj, uint16_t type) {
  switch (type) {
    case object::kGraphic:
      return ShownText(CountedText(obj, graphic::kName, graphic::kNameField));
    case object::kButton:
      return ShownText(CountedText(obj, button::kName, button::kNameField));
    case object::kTextField:
      return ShownText(CountedText(obj, field::kName, field::kNameField));
    default:
      return "";
  }
}

}  // namespace

json DescribeStack(Stack& stack, Handles& handles) {
  const std::vector<FontEntry> fonts = StackFonts(handles, stack);
  json out;
  json& h = out["header"];
  h["version"] = stack.Header16(header::kVersion);
  h["cardCount"] = stack.Header16(header::kCardCount);
  h["colorDepth"] = stack.Header16(header::kColorDepth);
  h["cardWidth"] = static_cast<int16_t>(stack.Header16(header::kCardWidth));
  h["cardHeight"] = static_cast<int16_t>(stack.Header16(header::kCardHeight));
  h["flags"] = stack.Header16(header::kFlags);
  h["resourceCount"] = stack.Header32(header::kResourceCount);
  h["lastResourceId"] = stack.Header16(header::kLastResourceId);
  h["arriveAction"] = stack.Header16(header::kArriveAction);
  h["leaveAction"] = stack.Header16(header::kLeaveAction);
  h["clickAction"] = stack.Header16(header::kClickAction);
  h["cursorId"] = stack.Header16(header::kCursorId);

  json cards = json::array();
  for (int n = 1; n <= stack.CardCount(); ++n) {
    LockedHandle bytes(handles, stack.CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    json card;
    card["id"] = Field16(c, card::kId);
    card["kind"] = Field16(c, card::kKind);
    card["backgroundId"] = Field16(c, card::kBackgroundId);
    card["name"] = ShownText(CountedText(c, card::kName, card::kNameField));
    card["marked"] = (Field16(c, card::kFlags) & card::kFlagMarked) != 0;
    card["actions"] = {{"arrive", Field16(c, card::kArriveAction)},
                       {"leave", Field16(c, card::kLeaveAction)},
                       {"click", Field16(c, card::kClickAction)}};
    card["cursorId"] = Field16(c, card::kCursorId);
    json objects = json::array();
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      uint16_t type = Field16(obj, object::kType);
      json o;
      if (const char* name = TypeName(type)) {
        o["type"] = name;
      } else {
        o["type"] = type;
      }
      o["id"] = Field16(obj, object::kId);
      o["rect"] = {GetI16(obj.data + 4), GetI16(obj.data + 6), GetI16(obj.data + 8),
                   GetI16(obj.data + 10)};
      o["flags"] = Field16(obj, object::kFlags);
      o["name"] = ObjectName(obj, type);
      if (type == object::kTextField &&
          !(Field16(obj, object::kFlags) & object::kFlagExternalFile)) {
        std::string text = ReadFieldContent(obj, fonts).text;
        std::replace(text.begin(), text.end(), '\r', '\n');  // paragraphs as JSON lines
        o["text"] = ShownText(text);
      }
      objects.push_back(o);
    }
    card["objects"] = objects;
    cards.push_back(card);
  }
  out["cards"] = cards;

  json resources = json::array();
  if (const ResourceFile* area = stack.resources().current()) {
    for (const ResourceEntry& e : area->entries) {
      if (e.deleted()) continue;
      resources.push_back({{"type", ShownText(FourCCText(e.type))},
                           {"id", e.id},
                           {"name", ShownText(e.Name())},
                           {"size", e.length}});
    }
  }
  out["resources"] = resources;
  return out;
}

}  // namespace corvida::app
