// Action records from hostile bytes: the input is a card record (native layout) that is
// also stored as 'Actn' block 1. Every button of the card runs, the block runs, and the
// mouse presses, drags and releases over the card, so entry walks, file references, launch
// references, selection lists and answer marks all see the bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/cards.h"
#include "engine/executor.h"
#include "engine/mouse.h"
#include "platform/headless/headless.h"
#include "stackfile/records_build.h"
#include "stackfile/resources.h"
#include "stackfile/stack.h"

using namespace corvida;

namespace {

// The card view and card the mouse works on; nothing else is shown.
class FuzzMouseHost : public MouseHost {
 public:
  FuzzMouseHost(CardView& view, Handle card) : view_(view), card_(card) {}
  CardView* ShownView() override { return &view_; }
  Handle ShownCard() override { return card_; }
  bool PressField(DisplayItem&, Point, const Message&) override { return false; }
  void PresentScreen() override {}
  void RecomposeCard() override {}

 private:
  CardView& view_;
  Handle card_;
};

// Agrees to everything, so that launches and answer marks run to their end.
struct AgreeingHost : ActionHost {
  Handle card = 0;
  Handle CurrentCard() override { return card; }
  bool Browsing() override { return true; }
  void GoToDestination(int, int, int) override {}
  void GoToStack(const std::string&, uint16_t, int, int) override {}
  void RedisplayCard() override {}
  void SetActionOrigin(Point, int) override {}
  void ToggleHighlight(uint16_t) override {}
  int Alert(int) override { return 1; }
  std::optional<std::string> AskUserName() override { return "name"; }
  bool ConfirmLaunch(const std::string&, const std::string&) override { return true; }
  std::string ResolvePath(const std::string& stored) override { return stored; }
  bool Launch(const std::string&) override { return true; }
  void ClosePlayer() override {}
  void NestedMessage(const Message&) override {}
  bool Closing() override { return false; }
  void Log(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> record(data, data + size);
  if (record.size() < card::kMinRecordSize) record.resize(card::kMinRecordSize);
  Put16(record.data() + card::kId, 1);
  Put32(record.data() + card::kRunSlot, 0);  // a run-time slot is never read from a file

  Handles handles;
  Stack stack(handles);
  if (stack.CreateNew(64, 48, 8) != 0) return 0;
  Handle card = HandleFromBytes(handles, record);
  if (!card || !stack.AddCard(card, 0)) return 0;
  stack.resources().Add(HandleFromBytes(handles, std::vector<uint8_t>(data, data + size)),
                        restype::kActn, 1, "");
  stack.SetHeader16(header::kAutoTimers, 1);

  VirtualClock clock;
  HeadlessWindowSystem windows(clock);
  WindowId window = windows.CreateWindow("fuzz", {64, 48});
  MediaHooks media;
  CardView view(handles, stack);
  gfx::Bitmap screen;
  screen.Create(64, 48, 8);
  AgreeingHost host;
  host.card = card;
  ActionExecutor executor(stack, handles, windows, clock, media, host);
  executor.set_window(window);
  FuzzMouseHost mouse_host(view, card);
  MouseHandler mouse(stack, handles, windows, nullptr, screen, executor, mouse_host);

  std::vector<uint16_t> buttons;
  ObjectIterator walk(stack, handles, card, true);
  for (int n = 0; n < 64; ++n) {
    ObjectRef obj = walk.Next();
    if (!obj) break;
    if (ObjectType(handles, obj) == object::kButton) buttons.push_back(ObjectId(handles, obj));
  }
  for (uint16_t id : buttons) executor.RunButton(id);
  executor.RunActionRecord(1, "block", MediaWait::kUntilFinished);
  executor.SelectionKey(vk::kTab);
  executor.SelectionKey(vk::kReturn);

  view.BuildDisplayList(card);
  executor.ArmTimers(card);
  for (int step = 0; step < 4; ++step) {
    Point p{int(step * 16 + (size % 16)), int(step * 12 + (size % 12))};
    mouse.Press(p, Message{window, msg::kLButtonDown, 0, 0, 0});
    mouse.Move({p.x + 5, p.y + 3});
    mouse.Release({p.x + 5, p.y + 3});
    mouse.CursorFor(p);
    clock.Advance(61 * 17);
    executor.TimerTick();
  }
  DisposeAnswers(stack, handles);
  return 0;
}
