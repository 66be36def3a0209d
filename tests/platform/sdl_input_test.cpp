// The desktop backend's pure parts: presentation layout, key codes, event translation
// and message boxes. No display is needed.
#if CORVIDA_HAVE_SDL
#include <gtest/gtest.h>

#include <tuple>

#include "platform/sdl/sdl_alerts.h"
#include "platform/sdl/sdl_input.h"

namespace corvida::sdl {
namespace {

TEST(SdlLayout, ScalesByWholeFactorsCentredAndShrinksWhenSmaller) {
  Size card{512, 342};
  EXPECT_EQ(ComputeLayout(card, {512, 342}).dest, (Rect{0, 0, 512, 342}));
  // 1100 x 800 holds twice the card; the rest is letterbox around the centre.
  EXPECT_EQ(ComputeLayout(card, {1100, 800}).dest, (Rect{38, 58, 1062, 742}));
  // Just below twice the size stays at one, centred.
  EXPECT_EQ(ComputeLayout(card, {1023, 700}).dest, (Rect{255, 179, 767, 521}));
  // Smaller than the card: shrunk to fit, proportions kept.
  EXPECT_EQ(ComputeLayout(card, {256, 400}).dest, (Rect{0, 114, 256, 285}));
  EXPECT_TRUE(ComputeLayout(card, {0, 0}).dest.Empty());

  EXPECT_EQ(InitialWindowSize(card, {1920, 1050}), (Size{1024, 684}));
  EXPECT_EQ(InitialWindowSize(card, {800, 600}), card);  // never below the card itself
  EXPECT_EQ(InitialWindowSize(card, {3840, 2160}), (Size{2560, 1710}));
}

TEST(SdlLayout, WindowPointsMapBackToClientPixels) {
  Layout twice = ComputeLayout({512, 342}, {1100, 800});
  Point p;
  EXPECT_TRUE(WindowToClient(twice, {38, 58}, p));
  EXPECT_EQ(p, (Point{0, 0}));
  EXPECT_TRUE(WindowToClient(twice, {1061, 741}, p));
  EXPECT_EQ(p, (Point{511, 341}));
  EXPECT_TRUE(WindowToClient(twice, {39, 59}, p));  // both pixels of a doubled pixel
  EXPECT_EQ(p, (Point{0, 0}));
  // Letterbox points lie outside, with coordinates that keep their direction.
  EXPECT_FALSE(WindowToClient(twice, {37, 57}, p));
  EXPECT_EQ(p, (Point{-1, -1}));
  EXPECT_FALSE(WindowToClient(twice, {1062, 100}, p));
  EXPECT_EQ(p.x, 512);
  Layout half = ComputeLayout({512, 342}, {256, 171});
  EXPECT_TRUE(WindowToClient(half, {255, 170}, p));
  EXPECT_EQ(p, (Point{510, 340}));
}

TEST(SdlKeys, MapToVirtualKeysBothWays) {
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a), 'A');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), 'Z');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_7), '7');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), vk::kF1 + 11);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT), vk::kLeft);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEDOWN), vk::kNext);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT), vk::kShift);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LCTRL), vk::kControl);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER), vk::kReturn);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_3), 0x63u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_SEMICOLON), 0xBAu);  // the preferences shortcut's key
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_MUTE), 0u);
  for (uint32_t v : {uint32_t('Q'), uint32_t('0'), vk::kF1, vk::kHome, vk::kDelete, 0x69u}) {
    EXPECT_EQ(VirtualKeyFromSdl(SdlKeyFromVirtualKey(v)), v) << v;
  }
  EXPECT_EQ(SdlKeyFromVirtualKey(0xFF), SDLK_UNKNOWN);
}

class SdlTranslate : public ::testing::Test {
 protected:
  SdlTranslate() {
    context.window = 7;
    context.layout = ComputeLayout({512, 342}, {1100, 800});  // twice, offset (38, 58)
    context.time = 1234;
  }
  std::vector<Message> Translate(const SDL_Event& e) {
    std::vector<Message> out;
    TranslateEvent(e, context, out);
    return out;
  }
  SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    e.button.clicks = clicks;
    return e;
  }
  SDL_Event Key(Uint32 type, SDL_Keycode key, Uint16 mod = 0, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    context.modifiers = mod;
    return e;
  }
  InputContext context;
};

TEST_F(SdlTranslate, MouseButtonsCarryClientPointsAndFlags) {
  context.modifiers = KMOD_LCTRL;
  auto out = Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 38 + 21, 58 + 41));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].window, 7u);
  EXPECT_EQ(out[0].message, msg::kLButtonDown);
  EXPECT_EQ(out[0].wParam, mk::kLButton | mk::kControl);
  EXPECT_EQ(ParamX(out[0].lParam), 10);
  EXPECT_EQ(ParamY(out[0].lParam), 20);
  EXPECT_EQ(out[0].time, 1234u);

  // The release no longer counts the left button; the right one is still held.
  context.modifiers = 0;
  context.mouse_buttons = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
  out = Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 100, 100));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, msg::kLButtonUp);
  EXPECT_EQ(out[0].wParam, mk::kRButton);

  // Second and fourth presses of a quick series are double clicks; the third is not.
  EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONDOWN, 1, 100, 100, 2))[0].message, msg::kLButtonDblClk);
  EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONDOWN, 1, 100, 100, 3))[0].message, msg::kLButtonDown);
  EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONDOWN, 1, 100, 100, 4))[0].message, msg::kLButtonDblClk);
  EXPECT_EQ(Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 100, 100))[0].message,
            msg::kRButtonDown);
  EXPECT_TRUE(Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 100, 100)).empty());
}

TEST_F(SdlTranslate, LetterboxInputReachesThePlayerOnlyWhileCaptured) {
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.x = 10;  // left of the card
  move.motion.y = 100;
  move.motion.state = SDL_BUTTON_LMASK;
  EXPECT_TRUE(Translate(move).empty());
  EXPECT_TRUE(Translate(Button(SDL_MOUSEBUTTONDOWN, 1, 10, 100)).empty());
  context.captured = true;
  auto out = Translate(move);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, msg::kMouseMove);
  EXPECT_EQ(ParamX(out[0].lParam), -14);
  EXPECT_EQ(ParamY(out[0].lParam), 21);
  EXPECT_EQ(out[0].wParam, mk::kLButton);
}

TEST_F(SdlTranslate, KeysGiveKeyMessagesAndTheClassicControlCharacters) {
  auto out = Translate(Key(SDL_KEYDOWN, SDLK_RETURN));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].message, msg::kKeyDown);
  EXPECT_EQ(out[0].wParam, vk::kReturn);
  EXPECT_EQ(out[0].lParam, 1);
  EXPECT_EQ(out[1].message, msg::kChar);
  EXPECT_EQ(out[1].wParam, 13u);

  for (auto [key, ch] : {std::pair{SDLK_TAB, 9}, {SDLK_BACKSPACE, 8}, {SDLK_ESCAPE, 27}}) {
    out = Translate(Key(SDL_KEYDOWN, key));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].wParam, static_cast<uint64_t>(ch));
  }
  // Ctrl with a letter types its control code (Ctrl+F is 6).
  out = Translate(Key(SDL_KEYDOWN, SDLK_f, KMOD_LCTRL));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].wParam, uint32_t('F'));
  EXPECT_EQ(out[1].wParam, 6u);
  // Arrows and plain letters give key messages only; the letters' text comes separately.
  EXPECT_EQ(Translate(Key(SDL_KEYDOWN, SDLK_LEFT)).size(), 1u);
  EXPECT_EQ(Translate(Key(SDL_KEYDOWN, SDLK_a)).size(), 1u);
  // Held keys repeat with bit 30 set; releases set bits 30 and 31.
  out = Translate(Key(SDL_KEYDOWN, SDLK_DOWN, 0, true));
  EXPECT_EQ(out[0].lParam, 1 | (int64_t{1} << 30));
  out = Translate(Key(SDL_KEYUP, SDLK_LSHIFT, KMOD_NONE));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, msg::kKeyUp);
  EXPECT_EQ(out[0].wParam, vk::kShift);
  EXPECT_EQ(out[0].lParam, 1 | (int64_t{1} << 30) | (int64_t{1} << 31));
  // With Alt held the system keys' messages are used and no character is typed.
  out = Translate(Key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, msg::kSysKeyDown);
  EXPECT_TRUE(Translate(Key(SDL_KEYDOWN, SDLK_MUTE)).empty());
}

TEST_F(SdlTranslate, TypedTextArrivesAsWindowsCharacters) {
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  std::snprintf(text.text.text, sizeof(text.text.text), "%s", "é€x");
  auto out = Translate(text);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].message, msg::kChar);
  EXPECT_EQ(out[0].wParam, 0xE9u);
  EXPECT_EQ(out[1].wParam, 0x80u);  // the euro sign's place in the Windows set
  EXPECT_EQ(out[2].wParam, uint32_t('x'));
}

TEST_F(SdlTranslate, WindowEventsBecomeWindowMessages) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  auto one = [&](Uint8 what) {
    e.window.event = what;
    auto out = Translate(e);
    return out.size() == 1 ? out[0] : Message{};
  };
  EXPECT_EQ(one(SDL_WINDOWEVENT_CLOSE).message, msg::kClose);
  for (auto [what, active, focus] : {std::tuple{SDL_WINDOWEVENT_FOCUS_GAINED, 1u, msg::kSetFocus},
                                     {SDL_WINDOWEVENT_FOCUS_LOST, 0u, msg::kKillFocus}}) {
    e.window.event = what;
    auto out = Translate(e);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].message, msg::kActivate);
    EXPECT_EQ(out[0].wParam, active);
    EXPECT_EQ(out[1].message, focus);
  }
  EXPECT_EQ(one(SDL_WINDOWEVENT_EXPOSED).message, msg::kPaint);
  Message size = one(SDL_WINDOWEVENT_SIZE_CHANGED);
  EXPECT_EQ(size.message, msg::kSize);
  EXPECT_EQ(ParamX(size.lParam), 512);  // the client keeps the card's size
  EXPECT_EQ(ParamY(size.lParam), 342);
  EXPECT_EQ(one(SDL_WINDOWEVENT_MINIMIZED).wParam, 1u);
}

TEST(SdlAlerts, MessageBoxesKeepTheAlertsButtonsAndDefaults) {
  AlertRequest request;
  request.text = "Save changes to \x93Stack\x94?\rReally?";
  request.buttons = {"&Yes", "No", "Cancel"};
  request.default_button = 0;
  request.icon = AlertIcon::kExclamation;
  MessageBox box;
  BuildMessageBox(request, "Corvida", box);
  EXPECT_EQ(box.text, "Save changes to \u201CStack\u201D?\nReally?");
  ASSERT_EQ(box.data.numbuttons, 3);
  EXPECT_STREQ(box.data.buttons[0].text, "Yes");
  EXPECT_EQ(box.data.buttons[2].buttonid, 2);
  EXPECT_EQ(box.data.buttons[0].flags, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
  EXPECT_EQ(box.data.buttons[1].flags, 0u);  // Escape goes to Cancel, not to No
  EXPECT_EQ(box.data.buttons[2].flags, SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
  EXPECT_TRUE(box.data.flags & SDL_MESSAGEBOX_WARNING);

  // One button takes both keys; no buttons at all still gives an OK.
  request.buttons = {};
  request.default_button = 5;
  BuildMessageBox(request, "Corvida", box);
  ASSERT_EQ(box.data.numbuttons, 1);
  EXPECT_STREQ(box.data.buttons[0].text, "OK");
  EXPECT_EQ(box.data.buttons[0].flags,
            SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
}

TEST(SdlAlerts, AQuestionsCancelButtonTakesEscapeAndIsTheAnswerNobodyChose) {
  AlertRequest request;
  request.buttons = {"Open", "Stop"};
  request.default_button = 0;
  request.cancel_button = 1;
  MessageBox box;
  BuildMessageBox(request, "Corvida", box);
  EXPECT_EQ(box.data.buttons[0].flags, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
  EXPECT_EQ(box.data.buttons[1].flags, SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
  EXPECT_EQ(UnansweredChoice(request), 1);
  request.cancel_button = -1;
  EXPECT_EQ(UnansweredChoice(request), 0);  // ordinary alerts: the default button
}

}  // namespace
}  // namespace corvida::sdl
#endif
