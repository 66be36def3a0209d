// A text field's stored text and styles: any bytes after the record's fixed fields must
// read into the text component, lay out, hit-test and write back without crashing, and
// what is written must read back as the same text and runs.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/fieldtext_store.h"
#include "stackfile/records.h"
#include "stackfile/records_build.h"

using namespace corvida;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  // The first byte picks the object flags (external file, pad byte) the record carries.
  const uint16_t flags = size > 0 ? ((data[0] & 1) ? object::kFlagExternalFile : 0) |
                                        ((data[0] & 2) ? object::kFlagPadByte : 0)
                                  : 0;
  std::vector<uint8_t> record =
      NewObject(object::kTextField, 1, {0, 0, 120, 80}, flags, kTextFieldRecordSize);
  if (size > 1) record.insert(record.end(), data + 1, data + size);
  Put32(record.data() + object::kLength, static_cast<uint32_t>(record.size()));
  // The bytes are in the file's order: convert the record as loading does.
  Bytes view{record.data(), record.size()};
  ConvertObjectHeader(view, Direction::kSave);
  ConvertObjectHeader(view, Direction::kLoad);
  ConvertTextField(view, Direction::kLoad);

  const std::vector<FontEntry> fonts = {{"Geneva", 3}, {"Times", 20}};
  FieldContent content = ReadFieldContent(view, fonts);
  TextObject text(nullptr, {3, 3, 117, 77});
  text.SetText(content.text, content.runs);
  text.Lines();
  text.PointToOffset({50, 40});
  text.CharAt({10, 10});
  text.SetSelection(text.size() / 3, text.size() / 2);
  text.Key('x');
  text.Key(textchar::kBackspace);
  text.Scroll(-2);

  std::vector<uint8_t> out = WriteFieldContent(view, text);
  FieldContent back = ReadFieldContent({out.data(), out.size()}, fonts);
  if (!(flags & object::kFlagExternalFile)) {
    if (back.text != text.text()) __builtin_trap();
    if (back.runs != text.runs()) __builtin_trap();
  }
  // The written record goes to the file's order and back unchanged.
  std::vector<uint8_t> stored = out;
  Bytes sv{stored.data(), stored.size()};
  ConvertTextField(sv, Direction::kSave);
  ConvertTextField(sv, Direction::kLoad);
  if (stored != out) __builtin_trap();
  return 0;
}
