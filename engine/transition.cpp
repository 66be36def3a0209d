// Transition ids, names and the entry points that pick and run an effect.
#include "engine/transition.h"

#include <array>

#include "base/strings.h"
#include "engine/transition_internal.h"
#include "platform/text.h"

namespace corvida {
namespace {

using namespace transition_detail;

// The named transitions in the order of their names in the string table; name lookups
// scan them in this order.
struct NamedTransition {
  int id;
  strid::Id name;
};
constexpr std::array<NamedTransition, 27> kNamedTransitions = {{
    {transition::kLeftToRight, strid::kTransitionLeftToRight},
    {transition::kRightToLeft, strid::kTransitionRightToLeft},
    {transition::kFastest, strid::kTransitionFastest},
    {transition::kBottomToTop, strid::kTransitionBottomToTop},
    {transition::kTopToBottom, strid::kTransitionTopToBottom},
    {transition::kFadeToBlack, strid::kTransitionFadeToBlack},
    {transition::kFadeToWhite, strid::kTransitionFadeToWhite},
    {transition::kBlocks, strid::kTransitionBlocks},
    {transition::kDiagonalRight, strid::kTransitionDiagonalRight},
    {transition::kDiagonalLeft, strid::kTransitionDiagonalLeft},
    {transition::kBlinds, strid::kTransitionBlinds},
    {transition::kBars, strid::kTransitionBars},
    {transition::kRain, strid::kTransitionRain},
    {transition::kDissolve, strid::kTransitionDissolve},
    {transition::kBarnOpen, strid::kTransitionBarnOpen},
    {transition::kBarnClose, strid::kTransitionBarnClose},
    {transition::kIrisClose, strid::kTransitionIrisClose},
    {transition::kIrisOpen, strid::kTransitionIrisOpen},
    {transition::kMouthClose, strid::kTransitionMouthClose},
    {transition::kMouthOpen, strid::kTransitionMouthOpen},
    {transition::kDiamondDissolve, strid::kTransitionDiamondDissolve},
    {transition::kBowTies, strid::kTransitionBowTies},
    {transition::kRazorRight, strid::kTransitionRazorRight},
    {transition::kRazorLeft, strid::kTransitionRazorLeft},
    {transition::kZoomOut, strid::kTransitionZoomOut},
    {transition::kZoomIn, strid::kTransitionZoomIn},
    {transition::kFadeToButtonColor, strid::kTransitionFadeToButtonColor},
}};

bool IsFade(int id) {
  return id == transition::kFadeToBlack || id == transition::kFadeToWhite ||
         id == transition::kFadeToButtonColor;
}

void RunEffect(Run& run, int id) {
  using namespace transition;
  switch (id) {
    case kLeftToRight:
    case kRightToLeft:
    case kBottomToTop:
    case kTopToBottom:
      return RunWipe(run, id);
    case kFadeToBlack:
      return RunFade(run, gfx::kBlack);
    case kFadeToWhite:
      return RunFade(run, gfx::kWhite);
    case kFadeToButtonColor:
      return RunFade(run, run.state.button_colour);
    case kBlocks:
      return RunBlocks(run);
    case kDiagonalRight:
      return RunDiagonal(run, true);
    case kDiagonalLeft:
      return RunDiagonal(run, false);
    case kBlinds:
      return RunBlinds(run);
    case kBars:
      return RunBars(run);
    case kRain:
      return RunRain(run);
    case kDissolve:
      return RunDissolve(run);
    case kBarnOpen:
    case kBarnClose:
    case kMouthOpen:
    case kMouthClose:
      return RunBarnOrMouth(run, id);
    case kIrisOpen:
      return RunIris(run, true);
    case kIrisClose:
      return RunIris(run, false);
    case kZoomIn:
      return RunZoom(run, true);
    case kZoomOut:
      return RunZoom(run, false);
    case kRazorLeft:
    case kRazorRight:
    case kBowTies:
    case kDiamondDissolve:
      return RunPatterns(run, id);
    case kCrossFade:
      return RunCrossFade(run);
    default:
      return RunFastest(run, run.speed);
  }
}

}  // namespace

int NormaliseTransitionId(int id) {
  return id >= transition::kFirst && id <= transition::kLast ? id : transition::kFastest;
}

int NormaliseTransitionSpeed(int speed) {
  return speed == 16 || speed == 32 ? speed : 8;
}

std::optional<std::string> TransitionName(int id) {
  for (const NamedTransition& named : kNamedTransitions) {
    if (named.id != id) continue;
    std::optional<std::string_view> name = FindString(named.name);
    if (!name) return std::nullopt;
    return std::string(*name);
  }
  return std::nullopt;
}

int TransitionIdFromName(std::string_view name) {
  for (const NamedTransition& named : kNamedTransitions) {
    std::optional<std::string_view> known = FindString(named.name);
    if (known && EqualsIgnoringCase(*known, name)) return named.id;
  }
  return -1;
}

void PrepareTransition(TransitionState& state, int id, TransitionScreen& screen) {
  (void)state;
  if (!IsFade(NormaliseTransitionId(id)) || screen.depth() > 8) return;
  // The shown pixels already index the shown palette; making all 256 entries
  // animatable lets the fade move every colour on screen.
  gfx::Palette shown = screen.palette();
  shown.count = 256;
  for (gfx::PaletteEntry& e : shown.entries) e.flags |= gfx::palflag::kAnimate;
  screen.SetPalette(shown);
}

void RunTransition(TransitionState& state, TransitionScreen& screen, const gfx::Bitmap& offscreen,
                   int id, int speed, std::optional<Rect> target, bool full_card) {
  id = NormaliseTransitionId(id);
  speed = NormaliseTransitionSpeed(speed);
  const Rect area = offscreen.Bounds();
  const Rect t = target ? target->Intersect(area) : area;
  if (!t.Empty()) {
    Run run{state, screen, offscreen, t, speed, full_card};
    const bool indexed_change =
        full_card && screen.depth() <= 8 && offscreen.indexed() && offscreen.palette.count > 0;
    if (indexed_change && !IsFade(id)) {
      run.step_palette = true;
      run.old_palette = screen.palette();
      run.new_palette = offscreen.palette;
    }
    RunEffect(run, id);
    run.WaitOutSteps();
    if (indexed_change) screen.SetPalette(offscreen.palette);
    screen.Present();
  }
  state.button_colour = gfx::kBlack;
  screen.Finished();
}

}  // namespace corvida
