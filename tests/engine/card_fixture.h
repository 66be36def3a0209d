// An open stack in memory for engine tests: cards built from native records, pictures of
// flat colours, buttons, fields and graphics, and resources.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render.h"
#include "platform/headless/headless.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"

namespace corvida::testing {

// A card picture block of one flat palette colour per horizontal half (top, bottom).
RecordBytes FlatPicture(Size size, uint8_t top_index, uint8_t bottom_index,
                        const gfx::Palette& palette);
// A palette whose entries 1..6 are red, green, blue, yellow, cyan, magenta; 0 white,
// 255 black, the rest grey.
gfx::Palette TestPalette();

struct ButtonSpec {
  uint16_t id = 1;
  Rect rect{10, 10, 60, 40};
  uint16_t style = 2;
  uint16_t flags = 0;          // object flags
  uint16_t display = 0;        // 0x08 name, 0x10 icon
  uint16_t text_colour = 0;    // 1-based
  uint16_t button_colour = 0;  // 1-based
  std::string name;
  uint16_t icon = 0;
};
RecordBytes ButtonRecord(const ButtonSpec& spec);
RecordBytes FieldRecord(uint16_t id, Rect rect, uint16_t flags = 0, uint16_t field_flags = 0,
                        const std::string& name = "");
RecordBytes GraphicRecord(uint16_t id, Rect rect, uint16_t flags = 0, const std::string& name = "");

class CardFixture : public ::testing::Test {
 protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  CardFixture();
  // Adds a card at the end and returns its handle.
  Handle AddCard(uint16_t id, uint16_t kind, uint16_t background,
                 const std::vector<RecordBytes>& objects = {}, const RecordBytes& picture = {},
                 const std::string& name = "");
  Handle AddBackground(uint16_t id, uint8_t top, uint8_t bottom,
                       const std::vector<RecordBytes>& objects = {});
  uint16_t AddResource(FourCC type, uint16_t id, const std::vector<uint8_t>& data);

  RecordingAlertResponder alerts;
  Handles handles;
  Stack stack{handles};
};

// Records what the card view hands to the screen.
struct RecordingScreen : CardScreen {
  struct Run {
    int transition = 0;
    int speed = 0;
    bool has_target = false;
    Rect target;
    bool full_card = false;
    bool direct = false;
  };
  std::vector<Run> runs;
  gfx::Bitmap last_image;
  gfx::Palette last_palette;
  int prepared = 0;

  void PrepareTransition(int) override { ++prepared; }
  void RunTransition(int transition, int speed, const Rect* target, const gfx::Bitmap& image,
                     const gfx::Palette& palette, bool full_card) override;
  void CopyToScreen(const Rect& rect, const gfx::Bitmap& image,
                    const gfx::Palette& palette) override;
};

}  // namespace corvida::testing
