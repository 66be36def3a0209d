// Card bridge primitives that move between cards and govern the screen: MOVENEXT and its
// kin with the pending transition, SETTRANSITION, LOCKSCREEN, DRAWTOOFFSCREEN and the rest.
#include "logo/card_bridge.h"
#include "logo/turtle.h"
#include "logo/value_text.h"

namespace corvida::logo {
namespace {

enum CardCommand : int16_t {
  kGoFirst = 1,
  kGoLast = 2,
  kGoPrevious = 3,
  kGoNext = 4,
  kGoToCard = 5,
  kShowAgain = 6,
  kQuit = 57,
  kBothChanged = 70,
  kEndOffscreen = 85,
  kBeginOffscreen = 86,
  kTransitions = 148,
  kLockScreen = 170,
  kUnlockScreen = 171,
};

// Moves with the pending transition, which then applies no more.
void MoveWithPending(Interpreter& in, int16_t command) {
  CardBridge& b = in.bridge();
  b.SetParam(1, static_cast<uint32_t>(int32_t{b.pending_transition}));
  b.SetParam(2, static_cast<uint32_t>(b.pending_speed));
  b.Issue(command);
  b.pending_transition = 0;
  b.pending_speed = 0;
}

Node* MoveNext(Interpreter& in, PrimCall&) {
  MoveWithPending(in, kGoNext);
  return nullptr;
}
Node* MovePrev(Interpreter& in, PrimCall&) {
  MoveWithPending(in, kGoPrevious);
  return nullptr;
}
Node* MoveToFirst(Interpreter& in, PrimCall&) {
  MoveWithPending(in, kGoFirst);
  return nullptr;
}
Node* MoveToLast(Interpreter& in, PrimCall&) {
  MoveWithPending(in, kGoLast);
  return nullptr;
}
Node* RedrawCard(Interpreter& in, PrimCall&) {
  MoveWithPending(in, kShowAgain);
  return nullptr;
}

Node* MoveToCard(Interpreter& in, PrimCall& c) {
  CardBridge& b = in.bridge();
  b.SetParam(1, 0);
  b.SetParam(2, static_cast<uint32_t>(b.pending_speed) << 16 |
                    static_cast<uint16_t>(b.pending_transition));
  b.ParamString(3, ValueText(c.in[0]));
  b.Issue(kGoToCard);
  b.pending_transition = 0;
  b.pending_speed = 0;
  return nullptr;
}

// FAST, MEDIUM, SLOW, or a number of ticks: below 4 fast, below 12 medium, else slow.
int32_t SpeedCode(Interpreter& in, Node* v, int row) {
  if (v && v->IsWord() && !NumericWord(v)) {
    if (WordEqualsNoCase(v, "FAST")) return 0;
    if (WordEqualsNoCase(v, "MEDIUM")) return 8;
    if (WordEqualsNoCase(v, "SLOW")) return 16;
  }
  const int32_t n = in.GetInteger(v, row);
  return n < 4 ? 0 : n < 12 ? 8 : 16;
}

Node* SetTransition(Interpreter& in, PrimCall& c) {
  CardBridge& b = in.bridge();
  b.ParamString(1, ValueText(c.in[0]));
  b.SetParam(2, 0);
  b.Issue(kTransitions);
  const auto id = static_cast<int32_t>(b.Param(1));
  if (id == -1 || !b.port) return nullptr;
  const int32_t speed = SpeedCode(in, c.in[1], c.row);
  if (in.Unwinding()) return nullptr;
  b.pending_transition = static_cast<int16_t>(id);
  b.pending_speed = speed;
  return nullptr;
}

Node* LockScreen(Interpreter& in, PrimCall&) {
  in.bridge().Issue(kLockScreen);
  in.bridge().screen_locked = true;
  return nullptr;
}

Node* UnlockScreen(Interpreter& in, PrimCall&) {
  in.bridge().Issue(kUnlockScreen);
  in.bridge().screen_locked = false;
  MoveWithPending(in, kShowAgain);
  return nullptr;
}

Node* DrawToOffscreen(Interpreter& in, PrimCall& c) {
  // One optional input, evaluated and ignored.
  std::vector<Node*> ignored;
  if (!in.GatherInputs(c, 0, ignored)) return nullptr;
  CardBridge& b = in.bridge();
  b.SetParam(1, 0);
  b.Issue(kBeginOffscreen);
  if (!b.offscreen_drawing && b.Param(1) != 0) {
    b.offscreen_drawing = true;
    in.turtle().DrawOffscreen(true);
  }
  return nullptr;
}

Node* DrawToScreen(Interpreter& in, PrimCall&) {
  CardBridge& b = in.bridge();
  b.Issue(kEndOffscreen);
  if (b.offscreen_drawing) in.turtle().DrawOffscreen(false);
  b.offscreen_drawing = false;
  return nullptr;
}

Node* SetBackgroundDirty(Interpreter& in, PrimCall&) {
  in.bridge().Issue(kBothChanged);
  return nullptr;
}

Node* Quit(Interpreter& in, PrimCall&) {
  in.bridge().Issue(kQuit);
  return nullptr;
}

}  // namespace

void RegisterCardPrimitives(PrimitiveTable& table) {
  table.Set("MOVENEXT", &MoveNext);
  table.Set("MOVEPREV", &MovePrev);
  table.Set("MOVETOFIRST", &MoveToFirst);
  table.Set("MOVETOLAST", &MoveToLast);
  table.Set("MOVETOCARD", &MoveToCard);
  table.Set("REDRAWCARD", &RedrawCard);
  table.Set("SETTRANSITION", &SetTransition);
  table.Set("LOCKSCREEN", &LockScreen);
  table.Set("UNLOCKSCREEN", &UnlockScreen);
  table.Set("DRAWTOOFFSCREEN", &DrawToOffscreen);
  table.Set("DRAWTOSCREEN", &DrawToScreen);
  table.Set("SETBKGDDIRTY", &SetBackgroundDirty);
  table.Set("QUIT", &Quit);
  RegisterItemPrimitives(table);
  RegisterCallbackPrimitives(table);
}

}  // namespace corvida::logo
