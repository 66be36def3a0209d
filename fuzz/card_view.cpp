// Cards from hostile bytes: the input is an 'Icon' resource (its length in the first two
// bytes) and a card record (the rest) whose objects name that icon; the card is shown,
// composed and one object redrawn, so the walk, item making (icons, masks, stored
// pictures, button shapes) and drawing all see the bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/render.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"

using namespace corvida;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t icon_length = std::min<size_t>(size_t(data[0]) << 8 | data[1], size - 2);
  std::vector<uint8_t> icon(data + 2, data + 2 + icon_length);
  std::vector<uint8_t> record(data + 2 + icon_length, data + size);
  if (record.size() < card::kMinRecordSize) record.resize(card::kMinRecordSize);

  Handles handles;
  Stack stack(handles);
  if (stack.CreateNew(64, 48, 8) != 0) return 0;
  Put16(record.data() + card::kId, 1);
  Handle card = HandleFromBytes(handles, record);
  if (!card || !stack.AddCard(card, 0)) return 0;
  stack.resources().Add(HandleFromBytes(handles, icon), restype::kIcon, 128, "");

  CardView view(handles, stack);
  view.options().outlines_shown = data[0] & 1;
  view.options().show_hidden_buttons = data[1] & 1;
  if (!view.ShowCard(card, 3, 8, true, nullptr)) return 0;
  gfx::Bitmap composed;
  view.Compose(composed);
  if (!view.display_list().empty()) {
    const DisplayItem& item = view.display_list()[0];
    view.RedrawObject(item.type, item.id, 3, 8, true, nullptr);
  }
  ParseIcon(icon);
  return 0;
}
