#include "tests/engine/card_fixture.h"

#include "stackfile/cardpicture.h"

namespace corvida::testing {

gfx::Palette TestPalette() {
  gfx::Palette p;
  p.count = 256;
  for (int i = 0; i < 256; ++i)
    p.Set(i, {uint8_t(i / 2 + 40), uint8_t(i / 2 + 40), uint8_t(i / 2 + 40)});
  p.Set(0, gfx::kWhite);
  p.Set(1, {255, 0, 0});
  p.Set(2, {0, 255, 0});
  p.Set(3, {0, 0, 255});
  p.Set(4, {255, 255, 0});
  p.Set(5, {0, 255, 255});
  p.Set(6, {255, 0, 255});
  p.Set(255, gfx::kBlack);
  return p;
}

RecordBytes FlatPicture(Size size, uint8_t top_index, uint8_t bottom_index,
                        const gfx::Palette& palette) {
  gfx::Bitmap bitmap;
  bitmap.Create(size.width, size.height, 8);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x)
      bitmap.Set(x, y, y < size.height / 2 ? top_index : bottom_index);
  return EncodeCardPicture(bitmap, palette);
}

RecordBytes ButtonRecord(const ButtonSpec& spec) {
  RecordBytes b = NewObject(object::kButton, spec.id, spec.rect, spec.flags, kButtonRecordSize);
  PutCountedName(b.data() + button::kName, button::kNameField, spec.name);
  Put16(b.data() + button::kStyle, spec.style);
  Put16(b.data() + button::kDisplayFlags, spec.display);
  Put16(b.data() + button::kTextColor, spec.text_colour);
  Put16(b.data() + button::kButtonColor, spec.button_colour);
  Put16(b.data() + button::kIconId, spec.icon);
  return b;
}

RecordBytes FieldRecord(uint16_t id, Rect rect, uint16_t flags, uint16_t field_flags,
                        const std::string& name) {
  RecordBytes f = NewObject(object::kTextField, id, rect, flags, kTextFieldRecordSize);
  Put16(f.data() + field::kFieldFlags, field_flags);
  PutCountedName(f.data() + field::kName, field::kNameField, name);
  return f;
}

RecordBytes GraphicRecord(uint16_t id, Rect rect, uint16_t flags, const std::string& name) {
  RecordBytes g = NewObject(object::kGraphic, id, rect, flags, kGraphicRecordSize);
  PutCountedName(g.data() + graphic::kName, graphic::kNameField, name);
  return g;
}

CardFixture::CardFixture() {
  stack.CreateNew(kWidth, kHeight, 8);
}

Handle CardFixture::AddCard(uint16_t id, uint16_t kind, uint16_t background,
                            const std::vector<RecordBytes>& objects, const RecordBytes& picture,
                            const std::string& name) {
  RecordBytes record = NewCardRecord(id, kind, background, picture);
  PutCountedName(record.data() + card::kName, card::kNameField, name);
  for (const auto& obj : objects) AppendObject(record, obj);
  Handle h = HandleFromBytes(handles, record);
  EXPECT_TRUE(stack.AddCard(h, stack.CardCount()));
  return h;
}

Handle CardFixture::AddBackground(uint16_t id, uint8_t top, uint8_t bottom,
                                  const std::vector<RecordBytes>& objects) {
  return AddCard(id, card::kKindBackground, 0, objects,
                 FlatPicture({kWidth, kHeight}, top, bottom, TestPalette()));
}

uint16_t CardFixture::AddResource(FourCC type, uint16_t id, const std::vector<uint8_t>& data) {
  Handle h = HandleFromBytes(handles, data);
  uint16_t used = 0;
  EXPECT_EQ(stack.resources().Add(h, type, id, "", &used), 0);
  return used;
}

void RecordingScreen::RunTransition(int transition, int speed, const Rect* target,
                                    const gfx::Bitmap& image, const gfx::Palette& palette,
                                    bool full_card) {
  runs.push_back(
      {transition, speed, target != nullptr, target ? *target : Rect{}, full_card, false});
  last_image = image;
  last_palette = palette;
}

void RecordingScreen::CopyToScreen(const Rect& rect, const gfx::Bitmap& image,
                                   const gfx::Palette& palette) {
  runs.push_back({0, 0, true, rect, false, true});
  last_image = image;
  last_palette = palette;
}

}  // namespace corvida::testing
