// Graphics whose pictures are files beside the stack, drawn by `corvida render`: a good
// file shows, and a hostile one is drawn as missing without bringing the player down.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/picture.h"
#include "support/picture_files.h"
#include "support/test_support.h"

namespace corvida::picture_files_test {
namespace {

using testing::RunCorvida;
using testing::TempDir;

using testing::BlueBmp;

// The 149-byte GIF that crashed the player's former decoder: 2 x 2, a global colour
// table flag whose table is malformed, then a long run of 0xCD.
std::string CrashingGif() {
  std::string b = std::string("GIF89a\2\0\2\0\xF7\0\0", 13);
  b += std::string("\x2C\0\0\0\0\2\0\2\0\x80\2", 11);
  b.resize(149, '\xCD');
  return b;
}

const char* kStack = R"({
  "stack": {"width": 64, "height": 48, "depth": 32},
  "cards": [{"id": 1, "kind": "card", "objects": [
    {"type": "graphic", "id": 2, "rect": [0, 0, 2, 2], "path": "blue.bmp"},
    {"type": "graphic", "id": 3, "rect": [10, 10, 12, 12], "path": "crash.gif"}]}]
})";

std::vector<uint8_t> ReadAll(const std::string& path) {
  File file = File::Open(path, File::Mode::kRead);
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(file.Size(), 0)));
  file.Read(bytes.data(), bytes.size());
  return bytes;
}

TEST(PictureFiles, AHostileFileIsDrawnAsMissingAndTheRestShows) {
  TempDir dir;
  dir.Write("d.json", kStack);
  dir.Write("blue.bmp", BlueBmp());
  dir.Write("crash.gif", CrashingGif());
  ASSERT_EQ(dir.Read("crash.gif").size(), 149u);
  auto built = RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")});
  ASSERT_EQ(built.status, 0) << built.err;
  auto rendered = RunCorvida({"render", dir.File("s.stk"), "-o", dir.File("c.png")});
  ASSERT_EQ(rendered.status, 0) << rendered.err;

  DecodedPicture card;
  ASSERT_EQ(ImagePictureDecoder().Decode(ReadAll(dir.File("c.png")), "c.png", card),
            PictureStatus::kOk);
  ASSERT_EQ(card.width, 64);
  const uint8_t* first = card.pixels.data();
  EXPECT_EQ((std::vector<uint8_t>(first, first + 3)), (std::vector<uint8_t>{0, 0, 255}));
}

}  // namespace
}  // namespace corvida::picture_files_test
