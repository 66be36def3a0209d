// The player window's dialogs wired in: scripted and cancelled dialogs, Save Stack As,
// alerts inside the window, and a close arriving while a dialog runs.
#include "player/player_dialogs.h"

#include <filesystem>

#include "player_fixture.h"
#include "ui/dialog_ask.h"
#include "ui/dialog_jump.h"
#include "ui/dialog_prefs.h"

namespace corvida {
namespace {

class Dialogs : public testing::PlayerFixture {
 protected:
  void StartWithDialogs() {
    Start();
    dialogs = std::make_unique<PlayerDialogs>(player, *window);
  }
  bool Logged(const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  void OnDialog(std::string_view name, std::function<int(Dialog&)> answer) {
    dialogs->SetScript([name, answer](Dialog& d, std::string_view running) {
      return running == name ? answer(d) : 0;
    });
  }
  static int Type(Dialog& d, int field, const std::string& text) {
    d.SetFocus(field);
    return AnswerDialog(d, &text, kIdOk);
  }
  std::unique_ptr<PlayerDialogs> dialogs;
};

TEST_F(Dialogs, HeadlessDialogsCancelWithoutAScript) {
  StartWithDialogs();
  Command(206);
  Command(101);
  Command(651);
  Settle();
  EXPECT_TRUE(Logged("dialog JUMP_TO_CARD cancelled"));
  EXPECT_TRUE(Logged("dialog OPEN_STACK cancelled"));
  EXPECT_TRUE(Logged("dialog PREFERENCES cancelled"));
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(Title(), "five.stk - Card 1");
}

TEST_F(Dialogs, ScriptedAnswersJumpOpenAndChangePreferences) {
  StartWithDialogs();
  OnDialog(kJumpDialogName, [](Dialog& d) { return Type(d, kJumpField, "fOUR"); });
  Command(206);
  Settle();
  EXPECT_EQ(CardId(), 13);

  OnDialog(kPreferencesDialogName, [](Dialog& d) {
    d.Find(prefid::kCardNumber)->checked = false;
    return kIdOk;
  });
  Command(651);
  Settle();
  EXPECT_TRUE(Logged("dialog PREFERENCES ok"));
  EXPECT_EQ(Title(), "five.stk");

  testing::BuildStack(tp.root, R"({"stack": {"width": 64, "height": 48},
      "cards": [{"id": 7, "kind": "shared", "name": "Seven"}]})",
                      "other.stk");
  OnDialog(kOpenStackDialogName, [](Dialog& d) {
    Control* list = d.Find(kChooserList);
    auto it = std::find(list->items.begin(), list->items.end(), "other.stk");
    if (it == list->items.end()) return 0;
    list->selected = int(it - list->items.begin());
    return kIdOk;
  });
  Command(101);
  Settle();
  EXPECT_TRUE(Logged("dialog OPEN_STACK \"other.stk\""));
  EXPECT_EQ(CardId(), 7);
  EXPECT_EQ(Title(), "other.stk");
}

TEST_F(Dialogs, SaveStackAsWritesANewFileAndAsksBeforeReplacingAnother) {
  StartWithDialogs();
  std::string typed;
  OnDialog(kSaveAsDialogName, [&typed](Dialog& d) { return Type(d, kSaveAsField, typed); });
  // Offered only where the host allows saving.
  typed = "copy";
  Command(103);
  Command(102);
  Settle();
  EXPECT_FALSE(std::filesystem::exists(tp.root.File("copy.stk")));
  EXPECT_FALSE(Logged("saved"));

  window->set_saving_allowed(true);
  Command(103);
  Settle();
  ASSERT_TRUE(Logged("saved as \"copy.stk\"")) << log.back();
  EXPECT_TRUE(std::filesystem::exists(tp.root.File("copy.stk")));
  EXPECT_EQ(Title(), "copy.stk - Card 1");
  EXPECT_EQ(player.files.HostPath(FileSlots::kStack), tp.root.File("copy.stk"));
  EXPECT_EQ(player.files.HostPath(FileSlots::kSaveAs), tp.root.File("copy.stk"));

  // A name with a folder part is refused; the dialog stays and, unanswered, cancels.
  typed = "../x";
  Command(103);
  Settle();
  EXPECT_NE(tp.platform->responder().shown().back().text.find("name you gave is not allowed"),
            std::string::npos);
  EXPECT_TRUE(Logged("dialog SAVE_STACK_AS cancelled"));

  // Another stack of that name is replaced only when the user says so.
  const std::string before = tp.root.Read("five.stk");
  typed = "five.stk";
  tp.platform->responder().SetResponder([](const AlertRequest&) { return 0; });  // Cancel
  Command(103);
  Settle();
  EXPECT_EQ(player.stack.path(), tp.root.File("copy.stk"));
  tp.platform->responder().SetResponder([](const AlertRequest&) { return 1; });  // Replace
  Command(103);
  Settle();
  EXPECT_EQ(player.stack.path(), tp.root.File("five.stk"));

  // A name that reads like alert buttons stays a name: unanswered, nothing is replaced.
  tp.root.Write("odd~Replace~^x.stk", "someone else's");
  typed = "odd~Replace~^x.stk";
  tp.platform->responder().SetResponder(nullptr);
  Command(103);
  Settle();
  EXPECT_EQ(tp.root.Read("odd~Replace~^x.stk"), "someone else's");
  EXPECT_EQ(tp.platform->responder().shown().back().buttons,
            (std::vector<std::string>{"Cancel", "Replace"}));
  EXPECT_EQ(player.stack.path(), tp.root.File("five.stk"));

  Command(102);
  Settle();
  EXPECT_EQ(log.back(), "saved");
  EXPECT_EQ(SaveAsFileName(" "), "");
  EXPECT_EQ(SaveAsFileName("notes.txt"), "notes.txt");
}

TEST_F(Dialogs, AlertsAreAnsweredInsideTheWindowWithTheKeyboard) {
  StartWithDialogs();
  dialogs->host().script = nullptr;  // as on the desktop: the modal loop takes keys
  AlertRequest request;
  request.text = "Go on?";
  request.buttons = {"OK", "Cancel"};
  request.size = {280, 120};
  Post(msg::kKeyDown, vk::kTab);
  Post(msg::kKeyDown, vk::kReturn);
  EXPECT_EQ(dialogs->alert_presenter().ShowAlert(request), 1);
  // The window shows its card again afterwards.
  const auto* frame = tp.platform->headless_windows().LastFrame(id);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, 64);
}

TEST_F(Dialogs, CloseDuringADialogEndsItThenTheWindowClosesWithItsPicture) {
  StartWithDialogs();
  dialogs->host().script = nullptr;
  const uint32_t before = tp.platform->clock().Milliseconds();
  Command(206);
  Post(msg::kClose);
  Settle();
  EXPECT_TRUE(window->closed());
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "dialog JUMP_TO_CARD cancelled");
  EXPECT_EQ(log[log.size() - 2], "closed");
  EXPECT_EQ(log.back(), "closing picture");
  // The picture stays its three seconds (on the virtual clock).
  EXPECT_GE(tp.platform->clock().Milliseconds() - before, kClosingPictureMs);
}

}  // namespace
}  // namespace corvida
