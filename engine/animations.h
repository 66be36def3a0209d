// The animation manager: the path animations and sprites that a card's actions started.
// Path animations play a description's frames in place at the entry's rectangle, one
// every so many ticks, for their repetitions; sprites play a film's pictures along a path
// of positions. Both are stepped cooperatively (the player's timer and every pass of the
// media wait) and drawn straight onto the window through the host, between the card's
// objects; they all end when the card is left or shown again and when a media wait ends.
#pragma once

#include <cstdint>
#include <list>
#include <span>
#include <string>
#include <vector>

#include "engine/animation_frames.h"
#include "engine/sprites.h"
#include "platform/clock.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/region.h"
#include "platform/types.h"

namespace corvida {

// What the manager asks of the player: the card's palette, drawing on the window, the
// card showing through again, alerts and the log.
class AnimationHost {
 public:
  virtual ~AnimationHost() = default;
  virtual gfx::Palette CardPalette() = 0;
  // Copies `frame` to the window with its top-left corner at `at`; `clipped` keeps it to
  // the card outside the objects, else it covers them too.
  virtual void ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                                  const gfx::Bitmap* mask) = 0;
  // The card shows again over `rect`.
  virtual void EraseAnimation(const Rect& rect) = 0;
  virtual int Alert(int id) = 0;
  virtual void Log(const std::string& line) = 0;
  // A picture of an animation is packed in a way this player does not know: it is not
  // drawn, and the host may tell the user.
  virtual void UnknownPicturePacking() {}
  // The card as shown within `rect` (card coordinates), for a film the player makes;
  // false when there is no card or the rectangle lies outside it.
  virtual bool CardPiece(const Rect& rect, gfx::Bitmap& out) {
    (void)rect;
    out.Clear();
    return false;
  }
};

class AnimationManager {
 public:
  static constexpr int kAlertNoMemory = 2224;

  AnimationManager(Clock& clock, AnimationHost& host) : clock_(clock), host_(host) {}
  AnimationManager(const AnimationManager&) = delete;
  AnimationManager& operator=(const AnimationManager&) = delete;

  // An animation entry's data: a sprite when it begins with 'Sprt', else a path animation
  // over `rect`. Returns whether something of `id` now plays.
  bool Start(uint16_t id, const Rect& rect, std::span<const uint8_t> data);

  // Path animations. Start copies the data (the description and its frame records); a
  // description that cannot be read, or a frame of an unknown depth, starts nothing, and a
  // frame too large to hold shows alert 2224.
  bool StartPathAnimation(std::span<const uint8_t> data, const Rect& rect, uint16_t id);
  void StepPathAnimations();
  bool PathAnimationRunning(uint16_t id) const;
  bool AnyPathAnimationRunning() const { return !paths_.empty(); }
  void StopPathAnimations();

  // Sprites: a sprite whose data cannot be read is not started; one whose id already
  // runs is not started again.
  bool StartSpriteAnimation(std::span<const uint8_t> data, uint16_t id);
  void SpriteIdle();
  bool SpriteRunning(uint16_t id) const;
  bool AnySpriteRunning() const { return !sprites_.empty(); }
  void StopSprites();

  // One step of everything (the timer and the media wait call it).
  void Step() {
    StepPathAnimations();
    SpriteIdle();
  }
  bool Running(uint16_t id) const { return PathAnimationRunning(id) || SpriteRunning(id); }
  void StopAll() {
    StopPathAnimations();
    StopSprites();
  }
  // The card was composed again: the frames shown are drawn again over it.
  void Redraw();

 private:
  struct PathNode {
    std::vector<uint8_t> data;  // the entry's data: description and frame records
    PathDescription description;
    Rect rect;
    uint16_t flags = 0;
    uint16_t id = 0;
    int repetition = 1;
    int frame = 1;
    size_t next_record = pathanim::kFirstRecord;
    uint32_t due = 0;
    FrameBits bits;
    gfx::Bitmap shown;  // the frame on the window; empty before the first
  };
  struct SpriteNode {
    std::vector<uint8_t> data;
    SpriteLayout layout;
    uint16_t id = 0;
    size_t step = 0;  // the position shown
    uint32_t due = 0;
    Rect shown;           // where its frame is on the window; empty before the first
    gfx::Bitmap picture;  // a film the player makes: taken from the card at the start
    gfx::Bitmap mask;     // empty: the picture is drawn whole
  };

  // Draws the node's next frame; false when the frame does not fit (the animation ends).
  bool DrawNextFrame(PathNode& node);
  std::list<PathNode>::iterator EndPath(std::list<PathNode>::iterator node);
  void ShowPath(const PathNode& node);
  void ShowSprite(SpriteNode& sprite);

  Clock& clock_;
  AnimationHost& host_;
  std::list<PathNode> paths_;
  std::list<SpriteNode> sprites_;  // the sprite world: exists while it holds one
};

// Copies a frame to the target with its top-left corner at `at`, only inside `clip`, and
// with a mask only where the mask's bits are set.
void DrawAnimationFrame(gfx::DrawTarget& target, Point at, const gfx::Bitmap& frame,
                        const gfx::Region& clip, const gfx::Bitmap* mask);

// An animation entry's first frame as part of the card picture: a sprite's first picture,
// or the first frame of a path animation whose description asks for it, at the entry's
// rectangle, kept to `card_area` unless the description says otherwise. `unknown_packing`
// as for DecodeSpriteFrame.
// Whether an animation's first frame belongs to the card picture, under the objects: a
// path animation's kept to the card area, which the card shows again where the animation
// played. A sprite's stays over the composed card, so that the card shows behind it once
// it moves, and so does a path animation's that covers the objects.
bool FirstFrameInCardPicture(std::span<const uint8_t> data);
void DrawAnimationFirstFrame(gfx::DrawTarget& target, const Rect& rect,
                             std::span<const uint8_t> data, const gfx::Region& card_area,
                             const gfx::Palette& palette, bool* unknown_packing = nullptr);

}  // namespace corvida
