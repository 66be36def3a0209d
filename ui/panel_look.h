// The look the player's own panels share (dialogs, the menu bar, the run box): a grey face
// with bevelled edges, black ink, grey ink for what is unavailable, and a dark blue for
// captions and selections.
#pragma once

#include "platform/gfx/draw.h"

namespace corvida::panel_look {

inline constexpr gfx::Color kFace = gfx::Color::FromRgb(192, 192, 192);
inline constexpr gfx::Color kShadow = gfx::Color::FromRgb(128, 128, 128);
inline constexpr gfx::Color kLight = gfx::Color::FromRgb(gfx::kWhite);
inline constexpr gfx::Color kInk = gfx::Color::FromRgb(gfx::kBlack);
inline constexpr gfx::Color kGreyInk = gfx::Color::FromRgb(128, 128, 128);
inline constexpr gfx::Color kCaption = gfx::Color::FromRgb(0, 0, 128);
inline constexpr gfx::Color kHighlight = gfx::Color::FromRgb(0, 0, 128);

// A one-pixel bevel around r: light above and left when raised, shadow when sunken.
inline void Bevel(gfx::DrawTarget& t, const Rect& r, bool raised) {
  const gfx::Color top = raised ? kLight : kShadow, bottom = raised ? kShadow : kLight;
  t.FillRect({r.left, r.top, r.right, r.top + 1}, top);
  t.FillRect({r.left, r.top, r.left + 1, r.bottom}, top);
  t.FillRect({r.left, r.bottom - 1, r.right, r.bottom}, bottom);
  t.FillRect({r.right - 1, r.top, r.right, r.bottom}, bottom);
}

}  // namespace corvida::panel_look
