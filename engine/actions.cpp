#include "engine/actions.h"

#include "stackfile/actions.h"
#include "stackfile/records.h"
#include "stackfile/resources.h"

namespace corvida {
namespace {

// The entry of `kind` in the ActionRecord starting at `start` of `h`; 0 when none.
uint32_t EntryIn(Handles& handles, Handle h, size_t start, uint16_t kind) {
  uint8_t* data = handles.Lock(h);
  uint32_t size = handles.GetSize(h);
  uint32_t found = 0;
  if (data && start < size) {
    Bytes record = ActionRecordView(Bytes{data + start, size - start});
    size_t at = record.size ? FindEntry(record, kind) : 0;
    if (at) found = static_cast<uint32_t>(start + at);
  }
  handles.Unlock(h);
  return found;
}

// Where the ActionRecord of an 'Hlnk' block starts; 0 when it has none.
size_t HyperlinkRecordStart(Handles& handles, Handle h) {
  uint8_t* data = handles.Lock(h);
  uint32_t size = handles.GetSize(h);
  size_t start = 0;
  if (data) {
    Bytes whole{data, size};
    Bytes tail = HyperlinkAction(whole);
    if (tail.size) start = static_cast<size_t>(tail.data - data);
  }
  handles.Unlock(h);
  return start;
}

}  // namespace

EntryRef FindActionEntry(Stack& stack, Handles& handles, Handle current, uint16_t id,
                         uint16_t kind) {
  if (id == 0) return {};
  if (ObjectRef button = FindObjectById(stack, handles, current, object::kButton, id)) {
    if (uint32_t at = EntryIn(handles, button.card, button.offset, kind)) return {button.card, at};
  }
  if (Handle block = stack.resources().Get(restype::kActn, id)) {
    if (uint32_t at = EntryIn(handles, block, 0, kind)) return {block, at};
  }
  if (Handle link = stack.resources().Get(restype::kHlnk, id)) {
    if (size_t start = HyperlinkRecordStart(handles, link))
      if (uint32_t at = EntryIn(handles, link, start, kind)) return {link, at};
  }
  return {};
}

}  // namespace corvida
