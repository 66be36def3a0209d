// Putting cards on the screen. The card view holds the card on screen: its record, the
// display list of its objects, the offscreen card bitmap (which between drawings holds
// the card picture without objects), the card palette and the card-area region.
//
// Composition follows one colour model: stacks of 8 bits or fewer are composed as 8-bit
// indexed pixels in the card palette (so palette fades act on them), deeper stacks in
// 32-bit true colour. Object colours are 1-based palette indices in the records
// (0 = none) and 0-based in display items.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/cards.h"
#include "engine/cards_display.h"
#include "engine/icons.h"
#include "engine/picture_cache.h"
#include "engine/stack_pictures.h"
#include "platform/fonts.h"
#include "platform/gfx/draw.h"
#include "platform/picture.h"
#include "stackfile/paths.h"

namespace corvida {

// Player settings that change how cards are drawn.
struct RenderOptions {
  bool objects_active = true;  // cards are shown with their objects
  bool browse_mode = true;     // the browse tool is current
  bool show_hidden_buttons = false;
  bool show_hidden_fields = false;
  bool show_hidden_graphics = false;
  // Among hidden buttons shown, only those that play a sound.
  bool hidden_buttons_sounding_only = false;
  bool outlines_shown = false;  // Shift and Control held: button outlines are drawn
  std::string button_font = "Chicago";
  int button_font_size = 12;
};

// Where composed card images go: the player window and its transitions. The player
// window supplies one; without it cards are only composed offscreen.
class CardScreen {
 public:
  virtual ~CardScreen() = default;
  // Called before the new image is composed (palette fades capture the screen here).
  virtual void PrepareTransition(int transition) { (void)transition; }
  // Replaces `target` (the whole card when null) on screen by the same rectangle of
  // `image`, with the transition's effect; `full_card` also steps the card palette.
  virtual void RunTransition(int transition, int speed, const Rect* target,
                             const gfx::Bitmap& image, const gfx::Palette& palette,
                             bool full_card) = 0;
  // Copies a rectangle of `image` to the screen at once.
  virtual void CopyToScreen(const Rect& rect, const gfx::Bitmap& image,
                            const gfx::Palette& palette) = 0;
};

// The text-field component: makes a field's text object when its item is built and
// draws the field. Without one, fields show their frame and white background.
class FieldPainter {
 public:
  virtual ~FieldPainter() = default;
  virtual void Attach(DisplayItem& item, Bytes record) = 0;
  virtual void Draw(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip) = 0;
};

// First frames of movies and animations that a card's actions name (filled by the movie
// and animation components), in two passes.
class FirstFramePainter {
 public:
  virtual ~FirstFramePainter() = default;
  // Into the card picture, under the objects: movies' first frames that do not play on
  // top of the objects, and path animations' first frames kept to `card_area`. The
  // objects are drawn above them wherever the card is drawn, so an invisible button over a
  // movie lets its frame show through, and a frame is there again where a movie or
  // animation that played over it is gone.
  virtual void DrawFramesUnderObjects(gfx::DrawTarget& picture, Bytes action_record,
                                      const gfx::Region& card_area) {
    (void)picture;
    (void)action_record;
    (void)card_area;
  }
  // Over the composed card: the other first frames (movies that play on top of the
  // objects, sprites, path animations that are not kept to `card_area`).
  virtual void DrawFirstFrames(gfx::DrawTarget& target, Bytes action_record,
                               const gfx::Region& card_area) = 0;
};

// Files a card's objects name that are not on this machine: a downloaded stack's come from
// where the stack came from.
class MissingFiles {
 public:
  virtual ~MissingFiles() = default;
  // The host path of the file `stored` names when it is here; "" while it is on its way
  // (the object, `object_type` and `object_id` of the shown card, is drawn again when it
  // arrives) or when it cannot come.
  virtual std::string AskFor(const std::string& stored, uint16_t object_type,
                             uint16_t object_id) = 0;
};

struct RenderServices {
  FontService* fonts = nullptr;
  PictureCache* pictures = nullptr;  // pictures of graphics kept in files, the player's
  PathRoots roots;                   // where those files may be found
  MissingFiles* missing = nullptr;   // asked for those that are not found; null: none
  FieldPainter* fields = nullptr;
  FirstFramePainter* first_frames = nullptr;
  std::function<void(int id)> alert;  // numbered alerts
  // Told when a stored picture is packed in a way this player does not know (it is drawn
  // as missing). Called while the card is composed: the host tells the user afterwards.
  std::function<void()> unknown_packing;
};

class CardView {
 public:
  CardView(Handles& handles, Stack& stack, RenderServices services = {});
  ~CardView();
  CardView(const CardView&) = delete;
  CardView& operator=(const CardView&) = delete;

  // Draws the whole card and hands it to the screen with a transition; `arrival` = the
  // card is being entered. Returns false when the card picture could not be composed.
  bool ShowCard(Handle card, int transition, int speed, bool arrival, CardScreen* screen);
  // Makes the display items of the card's objects (the list is cleared first).
  void BuildDisplayList(Handle card);
  // Draws the items that intersect `rect`; with a pivot only those below it (below) or
  // above it, never the pivot itself.
  void DrawItems(gfx::DrawTarget& target, const Rect& rect, const DisplayItem* pivot = nullptr,
                 bool below = true);
  // Repaints a rectangle of the window: the picture from the offscreen bitmap, then the
  // items over it; white without a card.
  void Repaint(gfx::DrawTarget& window, const Rect& rect);
  // Redraws one object of the current card or its background after it changed: only the
  // union of its old and new rectangles is repainted. False when it is not found.
  bool RedrawObject(uint16_t type, uint16_t id, int transition, int speed, bool direct,
                    CardScreen* screen);
  // The colour of a 0-based player palette entry; black for none and beyond the palette.
  gfx::Rgb ObjectColour(int index) const;
  // The card as shown: the offscreen picture with every item drawn over it.
  void Compose(gfx::Bitmap& out);
  // Leaving a card: the display list is emptied and the card area is whole again.
  void ClearDisplayList();
  // Forgets the card (a stack was closed).
  void Reset();

  Handle current_card() const { return current_card_; }
  const gfx::Bitmap& offscreen() const { return offscreen_; }
  const gfx::Palette& palette() const { return palette_; }
  DisplayList& display_list() { return list_; }
  const gfx::Region& card_area() const { return card_area_; }
  const DisplayItem* focus_field() const { return focus_field_; }
  Size card_size() const;
  RenderOptions& options() { return options_; }
  // The stack's own pictures decoded so far (card pictures, graphics' pictures).
  StackPictures& stack_pictures() { return stack_pictures_; }
  // What the view draws with: a second view over the same stack (printing) uses them too.
  const RenderServices& services() const { return services_; }
  bool screen_locked = false;  // object redraws are suspended

  // Makes the display item of one object; null when it gets none.
  std::unique_ptr<DisplayItem> MakeItem(ObjectRef obj);

 private:
  bool DecodePicture(Handle card);
  bool ItemVisible(ObjectRef obj, uint16_t type, uint16_t flags);
  void RebuildCardArea();
  std::shared_ptr<const Icon> IconFor(uint16_t id);
  Font* ButtonFont();
  void DrawItem(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip);
  void DrawButton(gfx::DrawTarget& target, DisplayItem& item);
  void DrawGraphic(gfx::DrawTarget& target, DisplayItem& item);
  void DrawField(gfx::DrawTarget& target, DisplayItem& item, const Rect& clip);
  // Hands every ActionRecord of the card (its arrive block, each button, each graphic's
  // and field's block) to `visit`.
  void ForEachActionRecord(Handle card, const std::function<void(Bytes)>& visit);
  void DrawFirstFrames(gfx::DrawTarget& target, Handle card);
  gfx::Color PaletteColour(int index) const;
  bool LoadGraphicPicture(ObjectRef obj, Bytes record, DisplayItem& item);

  Handles& handles_;
  Stack& stack_;
  RenderServices services_;
  RenderOptions options_;
  Handle current_card_ = 0;
  DisplayList list_;
  gfx::Bitmap offscreen_;  // the card picture (and first frames under them) without objects
  gfx::Bitmap composed_;   // scratch image handed to transitions
  gfx::Palette palette_;   // the player palette
  gfx::Region card_area_;
  const DisplayItem* focus_field_ = nullptr;
  std::map<uint16_t, std::pair<Handle, std::shared_ptr<const Icon>>> icons_;
  std::shared_ptr<Font> button_font_;
  StackPictures stack_pictures_;
};

// The palette cards use when their picture carries no colour table: white first, a
// 6 x 6 x 6 colour cube, ramps of red, green, blue and grey, black last.
gfx::Palette DefaultCardPalette();

// A graphic record's picture: the stored path of its file ("" when the picture is its
// own), or its own picture decoded (false when it has none that decodes;
// `unknown_packing`, when given, is set when its packing is one this player does not know).
std::string GraphicStoredPath(Bytes record);
bool DecodeGraphicPicture(Bytes record, gfx::Bitmap& out, bool* unknown_packing = nullptr);

// A one-bit mask (set = shown) from stored rows of ((width + 15) / 16) * 2 bytes, top row
// first; false when `rows` does not hold them all or a side is out of range.
bool MaskFromRows(std::span<const uint8_t> rows, int width, int height, gfx::Bitmap& out);

// Draws a button's label inside `r`: its icon centred, its name below the icon or
// centred without one, in the button font, transparently.
void DrawButtonLabel(gfx::DrawTarget& target, const DisplayItem::Button& b, const Rect& r,
                     Font& font, gfx::Color text);

}  // namespace corvida
