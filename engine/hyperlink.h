// Hyperlinks: words or phrases of text fields that run actions when clicked. Each is an
// 'Hlnk' resource naming the link text, the field it belongs to (0: any field) and,
// when active, an ActionRecord that runs when the link is clicked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/action_host.h"
#include "engine/fieldtext.h"
#include "stackfile/resources.h"

namespace corvida {

struct HyperlinkMatch {
  uint16_t id = 0;
  size_t start = 0;  // the matched link text in the field's text
  size_t end = 0;
  friend bool operator==(const HyperlinkMatch&, const HyperlinkMatch&) = default;
};

// Where in a field a link is looked for: a locked field by the character clicked, an
// unlocked one by its selection.
struct LinkPosition {
  bool locked = false;
  size_t position = 0;  // locked: the character under the click
  size_t start = 0;     // unlocked: the selection
  size_t end = 0;
};

// Looks for a link in `text` (Windows characters) of field `field_id`: first among the
// links of that field, then among those of every field, in resource order; the first
// match wins. A locked field's position must lie strictly inside the link text after
// its first character; an unlocked field's selection must lie within the link text.
// Links without an ActionRecord, empty links and links longer than the text never match.
std::optional<HyperlinkMatch> MatchHyperlink(Resources& resources, Handles& handles,
                                             uint16_t field_id, std::string_view text,
                                             const LinkPosition& where);

// The link of a field's display item at a click point (locked fields) or at its
// selection (unlocked fields); none when a locked field's point is not on a character.
std::optional<HyperlinkMatch> FindHyperlink(Resources& resources, Handles& handles,
                                            DisplayItem& item, Point click);

// What runs a link's actions: the action executor of the player.
class HyperlinkActions {
 public:
  virtual ~HyperlinkActions() = default;
  // Runs the ActionRecord at `offset` of the 'Hlnk' data in `record` (the handle may
  // move: read through it), named `name`.
  virtual void ExecuteActions(Handle record, uint32_t offset, const std::string& name,
                              MediaWait wait) = 0;
};

// What the player remembers of the links it ran.
struct HyperlinkState {
  std::string last_text;  // the first 32 characters of the last link run
};
inline constexpr size_t kLastLinkTextSize = 32;
inline constexpr size_t kLinkNameSize = 256;

// Runs link `id`: only in browse mode and only for an active link. The link text (up to
// 256 characters, Windows characters) names the actions; its first 32 characters become
// the last hyperlink text. Returns whether the link's actions ran.
bool RunHyperlink(Resources& resources, Handles& handles, uint16_t id, MediaWait wait,
                  bool browse_mode, HyperlinkState& state, HyperlinkActions& actions);

}  // namespace corvida
