// The text of the text fields on the shown card: a text object is made for each field's
// display item from the field's record (or from the external text file the record names),
// drawn with the field, and stored back into the record (or the file) when it changed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/cards.h"
#include "engine/cards_display.h"
#include "engine/fieldtext_store.h"
#include "engine/render.h"
#include "engine/scrollbar.h"
#include "engine/text.h"
#include "stackfile/paths.h"

namespace corvida {

// The largest external text file read.
inline constexpr int64_t kMaxExternalText = 1 << 20;

// What fields need of the player.
struct FieldTextServices {
  FontService* fonts = nullptr;
  // Where the external text files of fields are looked for, and who is asked for those
  // that are not found (null: nobody).
  PathRoots roots;
  MissingFiles* missing = nullptr;
  // The stack is a local file (not a download): external text files may be written back,
  // and then only below the stack's folder, never through a link.
  bool local_stack = false;
  // Paths in records are Mac Roman text.
  bool mac_paths = true;
};

// The text part of a field's display item.
class FieldText : public ItemAttachment {
 public:
  FieldText(FontService* fonts, const Rect& view) : text(fonts, view) {}
  TextObject text;
  uint16_t field_flags = 0;
  uint16_t object_flags = 0;
  bool external = false;      // the text lives in a file of its own
  std::string external_path;  // host path of that file; "" when it was not found
  bool locked() const { return field_flags & fieldflag::kLocked; }
  bool has_scroll_bar() const { return field_flags & fieldflag::kScrollBar; }
  // Scroll bar tracking: the arrow shown pressed, and the thumb's offset while it is
  // dragged (-1 when not: the thumb then shows the text's scroll values).
  BarPart pressed = BarPart::kNone;
  int dragged_thumb = -1;
};

// The field text of a display item, or null when the item has none.
FieldText* FieldTextOf(DisplayItem& item);
const FieldText* FieldTextOf(const DisplayItem& item);

// The text a field shows in its rectangle: inset by 3 on every side, and left of the
// scroll bar when the field has one.
Rect FieldViewRect(const Rect& field, uint16_t field_flags = 0);
// The scroll bar of a field's item as it is now drawn.
ScrollBarGeometry FieldScrollBar(DisplayItem& item, const ScrollBarMetrics& metrics = {});

// Makes a field's text object from its native record (a copy) and attaches it to the item.
// The stack's font list (its 'FntL' data) gives the fonts of the runs.
void CreateTextObject(Bytes record, DisplayItem& item, const std::vector<FontEntry>& fonts,
                      const FieldTextServices& services);
// Draws a field: its background and frame, then its text, inside `clip`.
void DrawTextField(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip);
void DisposeTextObject(DisplayItem& item);

// Stores the changed fields of the shown card: every field's scroll position goes into
// its record; a changed field with an external file writes the file (see
// FieldTextServices), any other changed field its text and styles into its record. The
// fields of the card's background that show on it are stored into the background.
// Returns the number of fields whose text was stored.
int SaveFieldTexts(Stack& stack, Handles& handles, DisplayList& list, Handle card,
                   const FieldTextServices& services);

// The text fields of the shown card with their display items, in walk order (the
// background's shared fields first); fields without an item are left out.
std::vector<std::pair<ObjectRef, DisplayItem*>> FieldItemsOfCard(const Stack& stack,
                                                                 Handles& handles,
                                                                 DisplayList& list, Handle card);

// Writes a field's text to its external file through a temporary file in the same folder
// and a rename; false when it is not allowed or fails.
bool WriteExternalText(const FieldText& field, const FieldTextServices& services);

// The card view's field painter: CreateTextObject when items are made, DrawTextField
// when they are drawn.
class TextFieldPainter : public FieldPainter {
 public:
  TextFieldPainter(Handles& handles, const Stack& stack, FieldTextServices services)
      : handles_(handles), stack_(stack), services_(std::move(services)) {}
  void Attach(DisplayItem& item, Bytes record) override;
  void Draw(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip) override;
  const FieldTextServices& services() const { return services_; }

 private:
  Handles& handles_;
  const Stack& stack_;
  FieldTextServices services_;
};

// The stack's font list.
std::vector<FontEntry> StackFonts(Handles& handles, const Stack& stack);

}  // namespace corvida
