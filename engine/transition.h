// Transitions: the visual effects with which a newly composed card image (or a redrawn
// object's rectangle) replaces what is on screen, paced by the tick clock.
//
// The caller composes the new image in the offscreen card bitmap, then asks for a
// transition by id and speed. The effect copies the image to the screen piece by piece
// through a TransitionScreen (engine/transition_screen.h), or animates the palette of an
// indexed screen. Ids and names are part of the stack format and of the script and
// callback interfaces.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/transition_screen.h"
#include "platform/gfx/bitmap.h"
#include "platform/types.h"

namespace corvida {

namespace transition {
inline constexpr int kLeftToRight = 1;
inline constexpr int kRightToLeft = 2;
inline constexpr int kFastest = 3;
inline constexpr int kBottomToTop = 4;
inline constexpr int kFadeToBlack = 5;
inline constexpr int kFadeToWhite = 6;
inline constexpr int kBlocks = 7;
inline constexpr int kDiagonalRight = 8;
inline constexpr int kDiagonalLeft = 9;
inline constexpr int kBlinds = 10;
inline constexpr int kTopToBottom = 11;
inline constexpr int kBars = 12;
inline constexpr int kRain = 13;
inline constexpr int kDissolve = 14;
inline constexpr int kBarnOpen = 15;
inline constexpr int kBarnClose = 16;
inline constexpr int kMouthOpen = 17;
inline constexpr int kMouthClose = 18;
inline constexpr int kIrisOpen = 19;
inline constexpr int kIrisClose = 20;
inline constexpr int kZoomIn = 21;
inline constexpr int kZoomOut = 22;
inline constexpr int kRazorLeft = 23;
inline constexpr int kRazorRight = 24;
inline constexpr int kBowTies = 25;
inline constexpr int kDiamondDissolve = 26;
inline constexpr int kFadeToButtonColor = 27;
inline constexpr int kCrossFade = 28;  // no name; see docs/transitions.md
inline constexpr int kFirst = 1;
inline constexpr int kLast = 28;
}  // namespace transition

// What transitions remember between runs. Owned by the card engine and passed in.
struct TransitionState {
  // Centre of the last ActionRecord run, in card coordinates: where "Zoom in" and
  // "Zoom out" converge. None until an action ran (the target's centre is used then).
  std::optional<Point> action_origin;
  // Colour of the last ActionRecord's button for "Fade to button color"; cleared to
  // black after every transition.
  gfx::Rgb button_colour;
  // Card-sized memory kept between runs by the effects that merge on a copy of the
  // screen, so that a transition does not make (and fault in) new bitmaps every time.
  struct Scratch {
    gfx::Bitmap memory;
    gfx::Bitmap converted;
    gfx::Bitmap previous;
  } scratch;
};

// Ids outside 1..28 run as "Fastest"; speeds other than 8, 16 and 32 as 8.
int NormaliseTransitionId(int id);
int NormaliseTransitionSpeed(int speed);

// The name of a transition id (1..27), in the Windows character set; none for 28 and
// for ids that are not transitions.
std::optional<std::string> TransitionName(int id);
// The id of a transition name (compared without regard to case for A-Z), or -1.
int TransitionIdFromName(std::string_view name);

// Called before the new image is composed, while the screen still shows the old one.
// For the palette fades on an indexed screen it marks the shown palette for animation.
void PrepareTransition(TransitionState& state, int id, TransitionScreen& screen);

// Replaces the screen's contents of `target` (the whole card area when none) with the
// same rectangle of `offscreen` (the composed card image, card coordinates, pixel (0, 0)
// at the card's top left), with effect `id` at `speed`. `full_card`: a card change, which
// also moves an indexed screen's palette to the image's palette; an object redraw does
// not. Always ends with the target showing the new image, the button colour cleared.
void RunTransition(TransitionState& state, TransitionScreen& screen, const gfx::Bitmap& offscreen,
                   int id, int speed, std::optional<Rect> target, bool full_card);

}  // namespace corvida
