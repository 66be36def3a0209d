// The surface transitions draw on. The engine does not know the player window: it copies
// rectangles of the new image to a TransitionScreen, reads back what the screen shows
// (for the effects that merge on a memory copy), sets the shown palette of an indexed
// screen, presents, and waits for the clock through the screen.
//
// Coordinates are card coordinates: (0, 0) is the top left of the card area. How the
// card area sits in a window (offset, zoom) is the presenter's business.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/gfx/bitmap.h"
#include "platform/types.h"
#include "platform/window.h"

namespace corvida {

class TransitionScreen {
 public:
  virtual ~TransitionScreen() = default;

  // Bits per pixel of what is shown; 8 or fewer is indexed, shown through palette().
  virtual int depth() const = 0;
  // Copies rectangle `r` to the screen from `source`, whose pixel `source_at` lands at
  // r's top left. Indexed sources on an indexed screen copy their indices unchanged (the
  // shown palette gives them their colours); other pairs convert the colours.
  virtual void Copy(const Rect& r, const gfx::Bitmap& source, Point source_at) = 0;
  // Makes `out` a bitmap of r's size at depth() (reusing its memory when it has that
  // size) holding what the screen shows there; false when it cannot be made.
  virtual bool Read(const Rect& r, gfx::Bitmap& out) = 0;
  // The palette an indexed screen is shown through, and a new one for it.
  virtual const gfx::Palette& palette() const = 0;
  virtual void SetPalette(const gfx::Palette& palette) = 0;
  // Shows what changed since the last Present.
  virtual void Present() = 0;

  // Milliseconds of the player's clock.
  virtual uint32_t Now() = 0;
  // Waits for the clock, at most `ms` milliseconds, looking after the messages that
  // arrive meanwhile. May return early; the engine checks the clock again.
  virtual void Wait(uint32_t ms) = 0;
  // Idle time for running media (movies), once per step.
  virtual void Idle() {}
  // Called after each step has been drawn and presented, before its wait: `step` counts
  // from 1 within a run of `total` steps. Replays and tests observe frames here.
  virtual void StepDone(int step, int total) {
    (void)step;
    (void)total;
  }
  // Called once when a transition has ended.
  virtual void Finished() {}
};

// A screen over a bitmap of the card area that the player presents. Waits go through
// the window system's WaitMessage, so the headless backend's virtual clock moves and
// nothing sleeps. Messages that arrive during a wait go to the message handler; without
// one they are kept (timer messages coalesced, as a window system does) and posted again
// when the transition has ended.
class BitmapTransitionScreen : public TransitionScreen {
 public:
  BitmapTransitionScreen(gfx::Bitmap& shown, WindowSystem& windows, Clock& clock)
      : shown_(shown), windows_(windows), clock_(clock) {}

  // Called by Present with the rectangle (card coordinates) that changed since the last.
  void SetPresenter(std::function<void(const Rect&)> presenter) {
    presenter_ = std::move(presenter);
  }
  void SetMessageHandler(std::function<void(const Message&)> handler) {
    handler_ = std::move(handler);
  }
  void SetIdle(std::function<void()> idle) { idle_ = std::move(idle); }

  int depth() const override { return shown_.depth(); }
  void Copy(const Rect& r, const gfx::Bitmap& source, Point source_at) override;
  bool Read(const Rect& r, gfx::Bitmap& out) override;
  const gfx::Palette& palette() const override { return shown_.palette; }
  void SetPalette(const gfx::Palette& palette) override;
  void Present() override;
  uint32_t Now() override { return clock_.Milliseconds(); }
  void Wait(uint32_t ms) override;
  void Idle() override {
    if (idle_) idle_();
  }
  void Finished() override;

  gfx::Bitmap& shown() { return shown_; }

 protected:
  void MarkDirty(const Rect& r) { dirty_ = dirty_.Union(r); }

 private:
  gfx::Bitmap& shown_;
  WindowSystem& windows_;
  Clock& clock_;
  std::function<void(const Rect&)> presenter_;
  std::function<void(const Message&)> handler_;
  std::function<void()> idle_;
  Rect dirty_;
  std::vector<Message> held_;
};

// Makes `b` a bitmap of that size and depth, keeping its memory (and its pixels) when it
// already is one; false when it cannot be made.
bool ReuseOrCreate(gfx::Bitmap& b, int width, int height, int depth);

// Copies rectangle `r` of `dst` from `src` (its pixel `src_at` at r's top left), clipped
// to both bitmaps. Indexed to indexed copies indices; other pairs convert colours.
void CopyPixels(gfx::Bitmap& dst, const Rect& r, const gfx::Bitmap& src, Point src_at);

}  // namespace corvida
