#include "engine/hyperlink.h"

#include <algorithm>

#include "stackfile/actions.h"
#include "stackfile/mactext.h"

namespace corvida {

namespace {

struct Link {
  uint16_t id = 0;
  uint16_t field_id = 0;
  bool active = false;
  std::string text;  // Windows characters
};

// The link of an 'Hlnk' resource; false when its data is too short for its text.
bool ReadLink(Handles& handles, Handle data, Link& out) {
  LockedHandle bytes(handles, data);
  Bytes h{bytes.data(), bytes.size()};
  if (!h.Holds(0, hyperlink::kText)) return false;
  const size_t length = Field16(h, hyperlink::kTextLength);
  if (!h.Holds(hyperlink::kText, length)) return false;
  out.id = Field16(h, hyperlink::kId);
  out.field_id = Field16(h, hyperlink::kFieldId);
  out.active = Field16(h, hyperlink::kActive) != 0 && HyperlinkAction(h).data != nullptr;
  out.text = MacToWindows(
      std::string_view(reinterpret_cast<const char*>(h.data + hyperlink::kText), length));
  return true;
}

// Where the link text occurs around the position, by the rules of the field's kind.
std::optional<size_t> MatchAt(std::string_view text, std::string_view link,
                              const LinkPosition& where) {
  const size_t n = link.size();
  if (n == 0 || n > text.size()) return std::nullopt;
  size_t from, to;  // candidate starts, inclusive
  if (where.locked) {
    // start < position < start + n
    if (where.position == 0) return std::nullopt;
    from = where.position >= n ? where.position - n + 1 : 0;
    to = where.position - 1;
  } else {
    // start <= selection start and selection end <= start + n
    if (where.end < where.start) return std::nullopt;
    from = where.end >= n ? where.end - n : 0;
    to = where.start;
  }
  to = std::min(to, text.size() - n);
  for (size_t s = from; s <= to; ++s) {
    if (text.compare(s, n, link) == 0) return s;
  }
  return std::nullopt;
}

}  // namespace

std::optional<HyperlinkMatch> MatchHyperlink(Resources& resources, Handles& handles,
                                             uint16_t field_id, std::string_view text,
                                             const LinkPosition& where) {
  const int count = resources.Count(restype::kHlnk);
  for (int pass = 0; pass < 2; ++pass) {
    const uint16_t wanted = pass == 0 ? field_id : 0;
    if (pass == 1 && field_id == 0) break;  // the first pass already looked at these
    for (int i = 1; i <= count; ++i) {
      Link link;
      Handle data = resources.GetIndexed(restype::kHlnk, i);
      if (!data || !ReadLink(handles, data, link)) continue;
      if (link.field_id != wanted || !link.active) continue;
      if (auto start = MatchAt(text, link.text, where))
        return HyperlinkMatch{link.id, *start, *start + link.text.size()};
    }
  }
  return std::nullopt;
}

std::optional<HyperlinkMatch> FindHyperlink(Resources& resources, Handles& handles,
                                            DisplayItem& item, Point click) {
  FieldText* field = FieldTextOf(item);
  if (!field) return std::nullopt;
  TextObject& text = field->text;
  LinkPosition where;
  where.locked = field->locked();
  if (where.locked) {
    if (!text.PointInView(click)) return std::nullopt;
    where.position = text.CharAt(click);
    if (where.position >= text.size()) return std::nullopt;
  } else {
    where.start = text.selection_start();
    where.end = text.selection_end();
  }
  return MatchHyperlink(resources, handles, item.id, text.text(), where);
}

bool RunHyperlink(Resources& resources, Handles& handles, uint16_t id, MediaWait wait,
                  bool browse_mode, HyperlinkState& state, HyperlinkActions& actions) {
  if (!browse_mode) return false;
  Handle data = resources.Get(restype::kHlnk, id);
  Link link;
  if (!data || !ReadLink(handles, data, link) || !link.active) return false;
  uint32_t offset;
  {
    LockedHandle bytes(handles, data);
    offset = static_cast<uint32_t>(hyperlink::ActionOffset({bytes.data(), bytes.size()}));
  }
  const std::string name = link.text.substr(0, kLinkNameSize);
  state.last_text = link.text.substr(0, kLastLinkTextSize);
  actions.ExecuteActions(data, offset, name, wait);
  return true;
}

}  // namespace corvida
