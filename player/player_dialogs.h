// The player window's dialogs: Jump To Card, Open Stack (the .stk chooser), Save Stack
// As, Preferences, Find Text, the user-name question and the closing picture, each run modally
// inside the window; and the presenter that draws alerts there.
//
// Connecting a window makes these the questions it asks. While a dialog runs, the window's
// timer keeps ticking; card moves posted meanwhile wait until the dialog has ended.
// Without a person in front of the player (the headless backend) every dialog is
// answered by the script, and cancelled when there is none.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "player/player_window.h"
#include "ui/dialog_alert.h"
#include "ui/dialog_runner.h"
#include "ui/dialog_slides.h"

namespace corvida {

// The names dialogs are known by in logs and scripts.
inline constexpr std::string_view kJumpDialogName = "JUMP_TO_CARD";
inline constexpr std::string_view kOpenStackDialogName = "OPEN_STACK";
inline constexpr std::string_view kSaveAsDialogName = "SAVE_STACK_AS";
inline constexpr std::string_view kPreferencesDialogName = "PREFERENCES";
inline constexpr std::string_view kUserNameDialogName = "ASKUSERNAME";
inline constexpr std::string_view kFindDialogName = "FIND_TEXT";
inline constexpr std::string_view kOpenTextDialogName = "OPEN_TEXT";
inline constexpr std::string_view kSaveTextDialogName = "SAVE_TEXT";
inline constexpr std::string_view kReadLineDialogName = "READ_LINE";
inline constexpr std::string_view kLocateDialogName = "LOCATE_FILE";

inline constexpr int kSaveAsField = 120;
inline constexpr size_t kReadLineLimit = 255;
inline constexpr std::string_view kExportDialogName = "EXPORT_SCREEN";
inline constexpr std::string_view kAboutDialogName = "ABOUT";
inline constexpr std::string_view kSlideShowDialogName = "SLIDE_SHOW";

inline constexpr std::string_view kPageSetupDialogName = "PAGE_SETUP";
inline constexpr std::string_view kPrintDialogName = "PRINT";
inline constexpr int kPageSetupList = 140;

// The Extras manager and its chooser of Extras to add; the buttons have small ids so that
// replay scripts can press them ("answer 3").
inline constexpr std::string_view kExtrasDialogName = "EXTRA_MNGR";
inline constexpr std::string_view kAddExtraDialogName = "EXTRA_ADD";
inline constexpr int kExtrasAddButton = 3;
inline constexpr int kExtrasRemoveButton = 4;
inline constexpr int kExtrasAboutButton = 5;
inline constexpr int kExtrasList = 150;

inline constexpr std::string_view kPlayerVersion = "0.1";
inline constexpr uint32_t kClosingPictureMs = 3000;

// Answers a dialog instead of the user: may type into its fields or select in its list,
// and returns the id of the control to press (0 cancels).
using DialogScript = std::function<int(Dialog& dialog, std::string_view name)>;

class PlayerDialogs : public PlayerQuestions {
 public:
  PlayerDialogs(Player& player, PlayerWindow& window);
  ~PlayerDialogs() override;
  PlayerDialogs(const PlayerDialogs&) = delete;
  PlayerDialogs& operator=(const PlayerDialogs&) = delete;

  // Scripted answers (replay, tests); a headless player without one cancels dialogs.
  void SetScript(DialogScript script);
  // Draws alerts inside the window (give it to the desktop's alert service).
  AlertPresenter& alert_presenter() { return alerts_; }
  DialogHost& host() { return host_; }

  std::optional<std::string> AskJumpText(int card_count) override;
  std::optional<std::string> ChooseStack() override;
  std::optional<std::string> ChooseSavePath() override;
  std::optional<std::string> ChooseExportPath(const std::string& suggested) override;
  bool AskPageSetup(PageSetup& setup) override;
  std::optional<std::string> ChoosePrintPath(const std::string& suggested) override;
  void ShowAbout() override;
  bool AskSlideShow(SlideShowSettings& settings) override;
  void ShowPreferences() override;
  std::optional<std::string> AskUserName(const std::string& current) override;
  bool AskFind(FindState& state) override;
  void ShowClosing() override { ShowClosingPicture(); }
  std::optional<std::string> ChooseTextFile(const std::string& prompt) override;
  std::optional<std::string> ChooseTextSavePath() override;
  std::optional<std::string> AskLine(const std::string& prompt, int width) override;
  std::optional<std::string> LocateFile(const std::string& prompt,
                                        const std::string& extension) override;
  void ManageExtras(NbaExtras& extras) override;
  // The closing picture: shown until its time is up or a click or key ends it.
  void ShowClosingPicture(uint32_t ms = kClosingPictureMs);

 private:
  // Runs `body` (which runs one dialog) with the dialog's name known to the script;
  // card moves posted meanwhile are handled once it has ended.
  template <typename Body>
  auto Run(std::string_view name, Body body);
  void Log(const std::string& line);
  std::string StackFolder() const;
  std::optional<std::string> ChooseExtra(NbaExtras& extras);
  std::optional<std::string> AskSaveName(const std::string& title, const std::string& current,
                                         std::string_view extension, bool stack_file);

  // Alerts in the window, over whatever the window shows at the time.
  class WindowAlerts : public AlertPresenter {
   public:
    explicit WindowAlerts(PlayerDialogs& owner) : owner_(owner) {}
    int ShowAlert(const AlertRequest& request) override;
    void ShowMessageBox(const std::string& title, const std::string& text, AlertIcon icon) override;

   private:
    PlayerDialogs& owner_;
  };

  Player& player_;
  PlayerWindow& window_;
  DialogHost host_;
  InWindowAlertPresenter presenter_{host_};
  WindowAlerts alerts_{*this};
  DialogScript script_;
  std::string_view running_;   // name of the dialog being run
  std::vector<Message> held_;  // posted while a dialog ran
};

// A file name typed into a save dialog: `extension` added when it has none; empty when
// the name is not allowed (empty, a folder part, or "." / "..").
std::string SaveAsFileName(std::string_view typed, std::string_view extension = ".stk");

}  // namespace corvida
