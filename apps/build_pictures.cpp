#include "apps/build_pictures.h"

#include <stdexcept>

#include "platform/gfx/png.h"
#include "stackfile/cardpicture.h"
#include "stackfile/pixpak.h"

namespace corvida::app {

namespace {

gfx::Bitmap ReadImage(const std::string& base, const nlohmann::json& name) {
  std::string path = base + "/" + name.get<std::string>();
  gfx::Bitmap image;
  std::string error;
  if (!gfx::ReadPngFile(path, image, &error))
    throw std::runtime_error("cannot read the picture " + path + ": " + error);
  return image;
}

// Replaces `count` bytes at `at` of a card record by `bytes`, keeping the card's length.
void Splice(RecordBytes& card, size_t at, size_t count, const RecordBytes& bytes) {
  card.erase(card.begin() + ptrdiff_t(at), card.begin() + ptrdiff_t(at + count));
  card.insert(card.begin() + ptrdiff_t(at), bytes.begin(), bytes.end());
  Put32(card.data() + card::kLength, static_cast<uint32_t>(card.size()));
}

// The graphic record with its stored picture and mask appended.
RecordBytes WithGraphicPictures(Bytes graphic_record, const nlohmann::json& g,
                                const std::string& base) {
  RecordBytes r(graphic_record.data, graphic_record.data + graphic_record.size);
  if (g.contains("picture")) {
    if (Field16({r.data(), r.size()}, object::kFlags) & object::kFlagExternalFile)
      throw std::runtime_error("a graphic has either a \"path\" or a \"picture\"");
    RecordBytes block = PixPakFromImage(ReadImage(base, g["picture"]), 8);
    if (block.empty()) throw std::runtime_error("a graphic's picture cannot be stored");
    if (block.size() % 2) block.push_back(0);
    AppendToRecord(r, block);
  }
  if (g.contains("mask")) {
    RecordBytes mask = MaskPictureFromImage(ReadImage(base, g["mask"]));
    AppendToRecord(r, mask);
    Put16(r.data() + graphic::kGraphicFlags,
          Get16(r.data() + graphic::kGraphicFlags) | graphic::kFlagMask);
    Put32(r.data() + graphic::kMaskLength, static_cast<uint32_t>(mask.size()));
  }
  return r;
}

}  // namespace

RecordBytes MaskPictureFromImage(const gfx::Bitmap& image) {
  const int w = image.width(), h = image.height();
  const size_t row = size_t(w + 15) / 16 * 2;
  RecordBytes mask(8 + row * size_t(h), 0);
  Put16(mask.data(), static_cast<uint16_t>(w));
  Put16(mask.data() + 2, static_cast<uint16_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      gfx::Rgb c = image.ColorAt(x, y);
      if (c.r + c.g + c.b < 3 * 128)
        mask[8 + size_t(y) * row + size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
    }
  return mask;
}

void AddPictures(RecordBytes& card, const nlohmann::json& c, const std::string& base,
                 Size card_size, int depth) {
  Bytes view{card.data(), card.size()};
  if (c.contains("picture")) {
    if (!card::HasPicture(Field16(view, card::kKind)))
      throw std::runtime_error("only backgrounds and picture cards have a \"picture\"");
    RecordBytes block;
    if (!CardPictureFromImage(ReadImage(base, c["picture"]), card_size, depth, block))
      throw std::runtime_error("the card picture cannot be made");
    uint32_t old_length = Field32(view, picture::kOffset + picture::kLength);
    Splice(card, picture::kOffset, old_length, block);
  }
  // Graphics with pictures or masks, matched with the description's objects in order.
  const nlohmann::json objects = c.value("objects", nlohmann::json::array());
  size_t offset = ObjectListStart({card.data(), card.size()});
  for (const nlohmann::json& o : objects) {
    size_t length = ObjectLengthAt({card.data(), card.size()}, offset);
    if (length == 0) break;
    if (o.value("type", std::string()) == "graphic" &&
        (o.contains("picture") || o.contains("mask"))) {
      RecordBytes graphic = WithGraphicPictures({card.data() + offset, length}, o, base);
      Splice(card, offset, length, graphic);
      length = graphic.size();
    }
    offset += length;
  }
}

}  // namespace corvida::app
