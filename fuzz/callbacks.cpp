// Callback commands from hostile bytes against a loaded stack: each 80-byte piece of the
// input fills the whole callback block, picks a command number (negatives and numbers
// above 180 included) and may put live tokens (the current card, blocks holding the
// input's own bytes, what earlier commands answered) into its slots, then the player runs the
// command and its messages. Nothing may crash, hang, or write outside a block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "logo/card_bridge.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "player/player_window.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"

using namespace corvida;

namespace {

constexpr size_t kPiece = 80;

// Two cards on a background, with a button, a field and a graphic each, written once.
std::string StackPath() {
  static const std::string path = [] {
    const std::string folder = SystemTempFolder() + "/corvida-fuzz-callbacks";
    std::filesystem::create_directories(folder);
    Handles handles;
    Stack stack(handles);
    stack.CreateNew(120, 80, 8);
    RecordBytes background = NewCardRecord(1, card::kKindBackground, 0);
    AppendObject(background,
                 NewObject(object::kButton, 9, {60, 50, 100, 70}, object::kFlagShared, 160));
    bool built = stack.AddCard(HandleFromBytes(handles, background), 0);
    for (uint16_t id : {2, 3}) {
      RecordBytes card = NewCardRecord(id, card::kKindShared, 1);
      PutCountedName(card.data() + card::kName, card::kNameField, id == 2 ? "One" : "Two");
      RecordBytes button = NewObject(object::kButton, 1, {4, 4, 40, 20}, 0, 160);
      PutCountedName(button.data() + button::kName, button::kNameField, "Start");
      AppendObject(card, button);
      RecordBytes field = NewObject(object::kTextField, 2, {4, 30, 60, 60}, 0, 128);
      PutCountedName(field.data() + field::kName, field::kNameField, "Notes");
      AppendObject(card, field);
      AppendObject(card, NewObject(object::kGraphic, 3, {70, 4, 100, 30}, 0, 64));
      built = stack.AddCard(HandleFromBytes(handles, card), id - 1) && built;
    }
    const std::string file = folder + "/callbacks.stk";
    if (!built || !stack.Save(file).saved()) std::abort();
    return file;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Folders folders;
  folders.temp = SystemTempFolder();
  HeadlessPlatform platform(folders);
  Player player(platform);
  // Scripts run by command 172 get a small budget, so no input can keep the player busy.
  logo::InterpreterConfig config;
  config.clock = &platform.clock();
  config.windows = &platform.windows();
  config.max_steps = 20000;
  player.logo = std::make_unique<logo::Interpreter>(config);
  PlayerWindow window(player);
  if (window.OpenStack(StackPath()) != 0) return 0;
  WindowId id = platform.windows().CreateWindow("fuzz", window.CardSize());
  if (!window.Attach(id)) return 0;
  window.ShowFirstCard();
  window.Pump(0);

  CallbackDispatch& dispatch = window.callbacks().dispatch();
  CallbackBlock& block = dispatch.block();
  // Live tokens the pieces may name: the card and blocks of the input's own bytes.
  block.Clear();
  dispatch.Issue(20);
  std::vector<uint32_t> live{block.param(1)};
  for (size_t at = 0; at + 16 <= size && live.size() < 6; at += 97)
    live.push_back(dispatch.NewBlock({data + at, std::min<size_t>(size - at, 400)}));

  for (size_t at = 0; at + kPiece <= size; at += kPiece) {
    const uint8_t* piece = data + at;
    std::copy(piece, piece + cbblock::kSize, block.bytes().begin());
    block.set_command(static_cast<int16_t>(int(piece[78] | piece[79] << 8) % 200 - 10));
    for (int slot = 1; slot <= cbblock::kParamCount; ++slot) {
      const uint8_t pick = piece[CallbackBlock::ParamOffset(slot) + 3];
      if (pick >= 0xF0) block.set_param(slot, live[pick % live.size()]);
    }
    dispatch.Dispatch();
    // What a command answers (a text object, a new block) may be named by the next.
    for (int slot : {1, 5})
      if (block.param(slot) && live.size() < 16) live.push_back(block.param(slot));
    window.Pump(20);
    if (window.closed()) break;
  }
  return 0;
}
