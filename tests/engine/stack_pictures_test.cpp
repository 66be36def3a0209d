// The store of decoded stack pictures on its own (what is kept, what is let go, within
// its budget) and under the card view: pictures decoded when first shown, once per
// picture, and cards drawn the same after their pictures were let go.
#include "engine/stack_pictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/render.h"
#include "stackfile/cardpicture.h"
#include "stackfile/pixpak.h"
#include "tests/engine/card_fixture.h"
#include "tests/support/test_support.h"

namespace corvida {
namespace {

std::span<const uint8_t> Span(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// A decoder making a `side` x `side` 8-bit picture, counting its calls.
StackPictures::Decoder Square(int side, int* calls = nullptr) {
  return [side, calls](gfx::Bitmap& out) {
    if (calls) ++*calls;
    return out.Create(side, side, 8);
  };
}

constexpr StackPictureUse kCard160{StackPictureUse::kCardPicture, 160, 120, 8};
constexpr StackPictureUse kCard320{StackPictureUse::kCardPicture, 320, 240, 8};

// Bytes a 64 x 64 picture counts for: its pixels and the bitmap beside them.
constexpr uint64_t kSquareBytes = 64 * 64 + sizeof(gfx::Bitmap);

TEST(StackPicturesStore, KeepsTheMostRecentlyUsedWithinItsBudget) {
  struct Step {
    const char* stored;
    StackPictureUse use;
    bool decoded;  // expected: decoded now rather than found kept
    size_t held;
  };
  const Step steps[] = {
      {"A", kCard160, true, 1},  {"A", kCard160, false, 1},  // kept
      {"B", kCard160, true, 2},                              // the budget holds two
      {"A", kCard160, false, 2},                             // A is now the most recent
      {"C", kCard160, true, 2},                              // B, the least recent, goes
      {"A", kCard160, false, 2}, {"B", kCard160, true, 2},   // decoded again; C goes
      {"A", kCard320, true, 2},   // the same bytes for another card size are another picture
      {"AA", kCard160, true, 2},  // so are other bytes
  };
  StackPictures store(2 * kSquareBytes);
  uint64_t decodes = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.stored) + " " + std::to_string(step.use.width));
    auto picture = store.Get(Span(step.stored), step.use, Square(64));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width(), 64);
    decodes += step.decoded;
    EXPECT_EQ(store.decodes(), decodes);
    EXPECT_EQ(store.pictures_held(), step.held);
    EXPECT_LE(store.bytes_held(), store.budget());
  }
}

TEST(StackPicturesStore, WhatCannotBeKeptIsStillHandedOut) {
  StackPictures store(kSquareBytes);
  int calls = 0;
  // Larger than the whole budget: shown, never kept, decoded each time.
  for (int i = 0; i < 2; ++i) {
    auto big = store.Get(Span("big"), kCard160, Square(128, &calls));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width(), 128);
  }
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(store.pictures_held(), 0u);

  // A picture that does not decode is null, and tried again the next time.
  StackPictures::Decoder fails = [&calls](gfx::Bitmap&) { return ++calls, false; };
  EXPECT_EQ(store.Get(Span("bad"), kCard160, fails), nullptr);
  EXPECT_EQ(store.Get(Span("bad"), kCard160, fails), nullptr);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(store.pictures_held(), 0u);

  // A picture let go stays whole for whoever still shows it.
  auto shown = store.Get(Span("A"), kCard160, Square(64));
  store.Get(Span("B"), kCard160, Square(64));
  EXPECT_EQ(store.pictures_held(), 1u);
  EXPECT_EQ(shown->byte_size(), 64u * 64u);

  // A lower budget lets go at once; none lets go of everything.
  store.SetBudget(0);
  EXPECT_EQ(store.pictures_held(), 0u);
  EXPECT_EQ(store.bytes_held(), 0u);
}

// Cards of the fixture's size, each with a grainy picture of its own.
class ShownPictures : public testing::CardFixture {
 protected:
  ShownPictures() : view(handles, stack, Services()) {}
  RenderServices Services() {
    RenderServices s;
    s.fonts = platform.platform->fonts();
    return s;
  }
  static RecordBytes GrainyPicture(uint32_t seed) {
    gfx::Bitmap picture;
    picture.Create(kWidth, kHeight, 8);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1103515245 + 12345;
        picture.Set(x, y, uint8_t((x / 8 + y / 8 + (seed >> 28)) & 0xFF));
      }
    return EncodeCardPicture(picture, testing::TestPalette());
  }
  std::vector<uint8_t> Shown(Handle card) {
    EXPECT_TRUE(view.ShowCard(card, 3, 8, true, &screen));
    const gfx::Bitmap& b = screen.last_image;
    return {b.data(), b.data() + b.byte_size()};
  }
  // One decoded card picture, as the store counts it.
  uint64_t PictureBytes() const { return uint64_t(kWidth) * kHeight + sizeof(gfx::Bitmap); }

  testing::TestPlatform platform;
  CardView view;
  testing::RecordingScreen screen;
};

TEST_F(ShownPictures, EachPictureIsDecodedWhenFirstShownAndDrawnTheSameAfterBeingLetGo) {
  std::vector<Handle> cards;
  for (uint16_t i = 0; i < 6; ++i)
    cards.push_back(AddCard(uint16_t(10 + i), card::kKindBackground, 0,
                            {testing::ButtonRecord(testing::ButtonSpec{})}, GrainyPicture(i)));
  EXPECT_EQ(view.stack_pictures().decodes(), 0u);  // nothing before a card is shown

  view.stack_pictures().SetBudget(2 * PictureBytes());
  std::vector<std::vector<uint8_t>> first;
  for (Handle c : cards) {
    first.push_back(Shown(c));
    EXPECT_LE(view.stack_pictures().bytes_held(), view.stack_pictures().budget());
  }
  EXPECT_EQ(view.stack_pictures().decodes(), 6u);
  EXPECT_EQ(view.stack_pictures().pictures_held(), 2u);
  EXPECT_NE(first[0], first[1]);

  // Showing them again decodes those let go, and draws every card as before.
  for (size_t i = 0; i < cards.size(); ++i) EXPECT_EQ(Shown(cards[i]), first[i]) << "card " << i;
  EXPECT_EQ(view.stack_pictures().decodes(), 12u);
  EXPECT_LE(view.stack_pictures().bytes_held(), view.stack_pictures().budget());

  // With room for all, a second round decodes nothing.
  view.stack_pictures().SetBudget(kDefaultStackPictureBudget);
  for (Handle c : cards) Shown(c);
  const uint64_t after_fill = view.stack_pictures().decodes();
  for (size_t i = 0; i < cards.size(); ++i) EXPECT_EQ(Shown(cards[i]), first[i]);
  EXPECT_EQ(view.stack_pictures().decodes(), after_fill);
}

TEST_F(ShownPictures, SharedAndRepeatedPicturesAreDecodedOnce) {
  gfx::Bitmap art;
  art.Create(20, 20, 8);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) art.Set(x, y, uint8_t(1 + (x + y) % 6));
  RecordBytes graphic = testing::GraphicRecord(1, {40, 20, 60, 40});
  std::vector<uint8_t> pixpak = EncodePixPak(art, testing::TestPalette());
  graphic.insert(graphic.end(), pixpak.begin(), pixpak.end());
  Put32(graphic.data() + object::kLength, uint32_t(graphic.size()));
  RecordBytes other = graphic;
  Put16(other.data() + object::kId, 2);

  AddBackground(10, 1, 2);
  Handle a = AddCard(11, card::kKindShared, 10, {graphic});
  Handle b = AddCard(12, card::kKindShared, 10, {graphic, other});
  std::vector<uint8_t> a_first = Shown(a);
  Shown(b);
  Shown(a);
  // The background's picture and the one graphic picture three graphics show.
  EXPECT_EQ(view.stack_pictures().decodes(), 2u);
  EXPECT_EQ(Shown(a), a_first);
  EXPECT_EQ(screen.last_image.ColorAt(45, 25, &view.palette()),
            testing::TestPalette().At(art.Get(5, 5)));
}

TEST_F(ShownPictures, APictureChangedInItsRecordIsShownAsChanged) {
  Handle c = AddCard(10, card::kKindBackground, 0, {}, GrainyPicture(1));
  std::vector<uint8_t> before = Shown(c);
  // The record is replaced in place by one with another picture (as an editor would).
  RecordBytes changed = NewCardRecord(10, card::kKindBackground, 0, GrainyPicture(2));
  ASSERT_EQ(handles.SetSize(c, uint32_t(changed.size())), 0);
  std::memcpy(handles.Lock(c), changed.data(), changed.size());
  handles.Unlock(c);
  std::vector<uint8_t> after = Shown(c);
  EXPECT_NE(after, before);

  // A view that never saw the old picture draws the same.
  CardView fresh(handles, stack, Services());
  ASSERT_TRUE(fresh.ShowCard(c, 3, 8, true, &screen));
  EXPECT_EQ(std::vector<uint8_t>(screen.last_image.data(),
                                 screen.last_image.data() + screen.last_image.byte_size()),
            after);
}

}  // namespace
}  // namespace corvida
