#include "player/player_dialogs.h"

#include <algorithm>

#include "base/strings.h"
#include "platform/files.h"
#include "platform/text.h"
#include "player/nba_extras.h"
#include "ui/dialog_ask.h"
#include "ui/dialog_find.h"
#include "ui/dialog_jump.h"
#include "ui/dialog_prefs.h"

namespace corvida {
namespace {

constexpr size_t kSaveAsNameLimit = 63;  // the file name part of a slot

// What the player is built from, with the licences they come under.
constexpr std::string_view kAboutCredits =
    "Built with: SDL2 (zlib licence), FFmpeg (LGPL 2.1+), FreeType (FreeType "
    "licence), libpng (libpng licence), giflib (MIT), libjpeg-turbo (IJG and "
    "BSD), libtiff (libtiff licence), cairo (LGPL 2.1 or MPL 1.1), nlohmann-json "
    "(MIT), CLI11 (BSD 3-clause).\nFonts: DejaVu (Bitstream Vera licence), "
    "Liberation (SIL Open Font Licence 1.1), URW base35 (AGPL with font "
    "exception).";

bool HasExtension(std::string_view name) {
  const size_t dot = name.find_last_of('.');
  return dot != std::string_view::npos && dot > 0 && dot + 1 < name.size();
}

}  // namespace

std::string SaveAsFileName(std::string_view typed, std::string_view extension) {
  std::string name(typed);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/\\:") != std::string::npos)
    return {};
  for (char c : name)
    if (uint8_t(c) < 32) return {};
  if (!HasExtension(name)) name += extension;
  return name;
}

PlayerDialogs::PlayerDialogs(Player& player, PlayerWindow& window)
    : player_(player), window_(window) {
  host_.windows = &player_.platform.windows();
  host_.fonts = player_.platform.fonts();
  host_.backdrop = [this]() -> const gfx::Bitmap* { return &window_.screen(); };
  // The window shows its own image again (zoomed, panned) once a dialog has ended.
  host_.restore = [this] {
    if (window_.window()) window_.HandleMessage({window_.window(), msg::kPaint, 0, 0, 0});
  };
  // The card waits while a dialog is open: its timer ticks are dropped, posted moves
  // are handled after the dialog.
  host_.pass_on = [this](const Message& m) {
    if (m.message != msg::kTimer) held_.push_back(m);
  };
  host_.close_requested = &window_.close_requested();
  // Nobody can answer a headless player's dialog but a script; without one it cancels.
  if (player_.platform.headless()) SetScript(nullptr);
  window_.set_questions(this);
}

PlayerDialogs::~PlayerDialogs() {
  if (&window_.questions() == this) window_.set_questions(nullptr);
}

void PlayerDialogs::Log(const std::string& line) {
  window_.Log(line);
}

void PlayerDialogs::SetScript(DialogScript script) {
  script_ = std::move(script);
  host_.script = [this](Dialog& dialog) { return script_ ? script_(dialog, running_) : 0; };
}

int PlayerDialogs::WindowAlerts::ShowAlert(const AlertRequest& request) {
  owner_.host_.window = owner_.window_.window();
  if (!owner_.host_.window) return request.default_button;  // no window to show it in
  return owner_.presenter_.ShowAlert(request);
}

void PlayerDialogs::WindowAlerts::ShowMessageBox(const std::string& title, const std::string& text,
                                                 AlertIcon icon) {
  owner_.host_.window = owner_.window_.window();
  owner_.presenter_.ShowMessageBox(title, text, icon);
}

template <typename Body>
auto PlayerDialogs::Run(std::string_view name, Body body) {
  host_.window = window_.window();
  const std::string_view outer = running_;
  running_ = name;
  auto result = body();
  running_ = outer;
  if (outer.empty() && !held_.empty()) {
    std::vector<Message> held = std::move(held_);
    held_.clear();
    for (const Message& m : held) host_.windows->PostMessage(m);
  }
  return result;
}

std::string PlayerDialogs::StackFolder() const {
  const std::string folder = PathFolder(player_.stack.path());
  return folder.empty() ? CurrentFolder() : folder;
}

std::optional<std::string> PlayerDialogs::AskJumpText(int) {
  return Run(kJumpDialogName, [this]() -> std::optional<std::string> {
    Dialog dialog = MakeJumpToCardDialog();
    std::optional<std::string> text;
    dialog.OnCommand([&text](Dialog& d, int id) {
      if (id != kIdOk) return false;
      text = d.Text(kJumpField);
      d.End(kIdOk);
      return true;
    });
    if (RunDialog(host_, dialog) != kIdOk) return std::nullopt;
    return text;
  });
}

std::optional<std::string> PlayerDialogs::ChooseStack() {
  auto path = Run(kOpenStackDialogName,
                  [this] { return ChooseFile(host_, "Open Stack", StackFolder(), ".stk"); });
  Log("dialog " + std::string(kOpenStackDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

std::optional<std::string> PlayerDialogs::LocateFile(const std::string& prompt,
                                                     const std::string& extension) {
  Log("dialog " + std::string(kLocateDialogName) + " " + Quoted(prompt));
  auto path =
      Run(kLocateDialogName, [&] { return ChooseFile(host_, prompt, StackFolder(), extension); });
  Log("dialog " + std::string(kLocateDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

std::optional<std::string> PlayerDialogs::ChooseSavePath() {
  auto path = Run(kSaveAsDialogName, [this] {
    return AskSaveName("Save Stack As", PathFileName(player_.stack.path()), ".stk", true);
  });
  Log("dialog " + std::string(kSaveAsDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

std::optional<std::string> PlayerDialogs::ChooseTextFile(const std::string& prompt) {
  auto path =
      Run(kOpenTextDialogName, [&] { return ChooseFile(host_, prompt, StackFolder(), ".txt"); });
  Log("dialog " + std::string(kOpenTextDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

std::optional<std::string> PlayerDialogs::ChooseExportPath(const std::string& suggested) {
  auto path = Run(kExportDialogName,
                  [&] { return AskSaveName("Export Screen", suggested, ".png", false); });
  Log("dialog " + std::string(kExportDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

std::optional<std::string> PlayerDialogs::ChoosePrintPath(const std::string& suggested) {
  auto path = Run(kPrintDialogName, [&] { return AskSaveName("Print", suggested, ".pdf", false); });
  Log("dialog " + std::string(kPrintDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

namespace {

// The page setup's choices, in the order of its list.
struct PaperChoice {
  const char* name;
  PageSetup setup;
};
constexpr PaperChoice kPaperChoices[] = {
    {"A4, landscape", {PageSetup::Paper::kA4, true}},
    {"A4, portrait", {PageSetup::Paper::kA4, false}},
    {"Letter, landscape", {PageSetup::Paper::kLetter, true}},
    {"Letter, portrait", {PageSetup::Paper::kLetter, false}},
};

}  // namespace

bool PlayerDialogs::AskPageSetup(PageSetup& setup) {
  std::string chosen;
  const bool accepted = Run(kPageSetupDialogName, [&] {
    Dialog dialog("Page Setup", {230, 124});
    dialog.Add(StaticText(-1, {8, 8, 222, 24}, "&Paper and orientation:"));
    std::vector<std::string> names;
    for (const PaperChoice& c : kPaperChoices) names.push_back(c.name);
    Control& list = dialog.Add(ListBox(kPageSetupList, {8, 26, 222, 88}, names));
    for (size_t i = 0; i < std::size(kPaperChoices); ++i)
      if (kPaperChoices[i].setup.paper == setup.paper &&
          kPaperChoices[i].setup.landscape == setup.landscape)
        list.selected = int(i);
    dialog.Add(Button(kIdOk, {62, 94, 137, 117}, "OK"));
    dialog.Add(Button(kIdCancel, {147, 94, 222, 117}, "Cancel"));
    dialog.SetFocus(kPageSetupList);
    dialog.OnCommand([&](Dialog& d, int id) {
      if (id != kIdOk) return false;
      const int row = d.Find(kPageSetupList)->selected;
      if (row < 0 || row >= int(std::size(kPaperChoices))) return true;
      setup = kPaperChoices[row].setup;
      chosen = kPaperChoices[row].name;
      d.End(kIdOk);
      return true;
    });
    return RunDialog(host_, dialog) == kIdOk;
  });
  Log("dialog " + std::string(kPageSetupDialogName) + " " +
      (accepted ? Quoted(chosen) : "cancelled"));
  return accepted;
}

// A script's text goes into the stack's folder under a name the user types; a file of
// that name is never replaced.
std::optional<std::string> PlayerDialogs::ChooseTextSavePath() {
  auto path = Run(kSaveTextDialogName, [this]() -> std::optional<std::string> {
    Dialog dialog("Save Text As", {260, 70});
    dialog.Add(StaticText(-1, {8, 12, 90, 28}, "Save &as:"));
    dialog.Add(EditField(kSaveAsField, {92, 8, 252, 30}, kSaveAsNameLimit, ""));
    dialog.Add(Button(kIdOk, {92, 40, 167, 63}, "OK"));
    dialog.Add(Button(kIdCancel, {177, 40, 252, 63}, "Cancel"));
    dialog.SetFocus(kSaveAsField);
    std::optional<std::string> chosen;
    dialog.OnCommand([&](Dialog& d, int id) {
      if (id != kIdOk) return false;
      const std::string name = SaveAsFileName(d.Text(kSaveAsField), ".txt");
      const std::string target = name.empty() ? "" : JoinPath(StackFolder(), name);
      if (target.empty() || FileExists(target)) {
        player_.alerts.ReportFileError(strid::kNameNotAllowed);
        return true;  // the dialog stays for another name
      }
      chosen = target;
      d.End(kIdOk);
      return true;
    });
    if (RunDialog(host_, dialog) != kIdOk) return std::nullopt;
    return chosen;
  });
  Log("dialog " + std::string(kSaveTextDialogName) + " " +
      (path ? Quoted(PathFileName(*path)) : "cancelled"));
  return path;
}

// The read dialog: the script's prompt over one line of text.
std::optional<std::string> PlayerDialogs::AskLine(const std::string& prompt, int width) {
  constexpr int kField = 130;
  width = width > 0 ? std::clamp(width, 160, 480) : 260;
  auto line = Run(kReadLineDialogName, [&]() -> std::optional<std::string> {
    Dialog dialog("Tarrow", {width, 90});
    dialog.Add(StaticText(-1, {8, 8, width - 8, 24}, prompt));
    dialog.Add(EditField(kField, {8, 28, width - 8, 50}, kReadLineLimit, ""));
    dialog.Add(Button(kIdOk, {width - 160, 60, width - 85, 83}, "OK"));
    dialog.Add(Button(kIdCancel, {width - 80, 60, width - 8, 83}, "Cancel"));
    dialog.SetFocus(kField);
    std::optional<std::string> typed;
    dialog.OnCommand([&](Dialog& d, int id) {
      if (id != kIdOk) return false;
      typed = d.Text(kField);
      d.End(kIdOk);
      return true;
    });
    if (RunDialog(host_, dialog) != kIdOk) return std::nullopt;
    return typed;
  });
  Log("dialog " + std::string(kReadLineDialogName) + " " + (line ? Quoted(*line) : "cancelled"));
  return line;
}

// Our save dialog: a file name in the stack's folder (stacks may go to the folder the
// preferences name); another file of that name is replaced only when the user says so.
std::optional<std::string> PlayerDialogs::AskSaveName(const std::string& title,
                                                      const std::string& current,
                                                      std::string_view extension, bool stack_file) {
  Dialog dialog(title, {260, 70});
  dialog.Add(StaticText(-1, {8, 12, 90, 28}, "Save &as:"));
  dialog.Add(EditField(kSaveAsField, {92, 8, 252, 30}, kSaveAsNameLimit, current));
  dialog.Add(Button(kIdOk, {92, 40, 167, 63}, "OK"));
  dialog.Add(Button(kIdCancel, {177, 40, 252, 63}, "Cancel"));
  dialog.SetFocus(kSaveAsField);
  std::optional<std::string> chosen;
  dialog.OnCommand([&](Dialog& d, int id) {
    if (id != kIdOk) return false;
    const std::string name = SaveAsFileName(d.Text(kSaveAsField), extension);
    if (name.empty()) {
      player_.alerts.ReportFileError(strid::kNameNotAllowed);
      return true;  // the dialog stays for another name
    }
    std::string target = JoinPath(StackFolder(), name);
    // A new stack name goes to the folder the preferences name for saved stacks, if any.
    const std::string saved_stacks = stack_file ? player_.prefs.SaveStackPath() : "";
    if (!FileExists(target) && !saved_stacks.empty()) {
      const std::string folder = player_.files.paths().ToHost(saved_stacks);
      if (GetFileInfo(folder).is_directory) target = JoinPath(folder, name);
    }
    if (target != player_.stack.path() && FileExists(target)) {
      if (player_.alerts.AskWithNames(strid::kConfirmReplace, {name}, 0) != 2) return true;
    }
    if (!stack_file && target == player_.stack.path()) {
      player_.alerts.ReportFileError(strid::kNameNotAllowed);  // never over the stack
      return true;
    }
    chosen = target;
    d.End(kIdOk);
    return true;
  });
  if (RunDialog(host_, dialog) != kIdOk) return std::nullopt;
  return chosen;
}

void PlayerDialogs::ShowPreferences() {
  if (!player_.stack.is_open()) return;
  StackSettings copy = ReadStackSettings(player_.handles, player_.stack);
  const bool accepted = Run(kPreferencesDialogName, [&] {
    return RunPreferencesDialog(host_, copy, player_.alerts.advanced_user());
  });
  Log("dialog " + std::string(kPreferencesDialogName) + (accepted ? " ok" : " cancelled"));
  if (!accepted) return;
  ApplyStackSettings(copy, player_.handles, player_.stack, player_.prefs);
  // The player reads the stack's own settings from its header when it needs them; the
  // advanced-user flag is the alert layer's.
  player_.alerts.set_advanced_user(copy.advanced_user != 0);
  if (window_.window())
    player_.platform.windows().SetTitle(window_.window(), window_.navigation().Title());
}

void PlayerDialogs::ShowAbout() {
  Run(kAboutDialogName, [this] {
    Dialog about("About Corvida Player", {330, 232});
    about.Add(IconArea(-1, {8, 8, 56, 56}, AlertIcon::kMascot));
    about
        .Add(StaticText(-1, {68, 8, 322, 40},
                        "Corvida Player " + std::string(kPlayerVersion) +
                            "\nPlays Corvida stacks on the desktop."))
        .plain = true;
    about.Add(StaticText(-1, {8, 62, 322, 196}, std::string(kAboutCredits))).plain = true;
    about.Add(Button(kIdOk, {247, 202, 322, 225}, "OK"));
    about.SetCancel(kIdOk);
    return RunDialog(host_, about);
  });
  Log("dialog " + std::string(kAboutDialogName));
}

bool PlayerDialogs::AskSlideShow(SlideShowSettings& settings) {
  const bool accepted = Run(kSlideShowDialogName, [&] {
    Dialog dialog = MakeSlideShowDialog({settings.seconds, settings.loop, settings.from_first});
    if (RunDialog(host_, dialog) != kIdOk) return false;
    const auto choice = ReadSlideShowDialog(dialog);
    if (!choice) return false;
    settings.seconds = choice->seconds;
    settings.loop = choice->loop;
    settings.from_first = choice->from_first;
    return true;
  });
  Log("dialog " + std::string(kSlideShowDialogName) + (accepted ? " ok" : " cancelled"));
  return accepted;
}

std::optional<std::string> PlayerDialogs::AskUserName(const std::string& current) {
  auto name = Run(kUserNameDialogName, [&] { return corvida::AskUserName(host_, current); });
  Log("dialog " + std::string(kUserNameDialogName) + " " + (name ? Quoted(*name) : "cancelled"));
  return name;
}

bool PlayerDialogs::AskFind(FindState& state) {
  const bool accepted = Run(kFindDialogName, [&] { return RunFindTextDialog(host_, state); });
  Log("dialog " + std::string(kFindDialogName) + (accepted ? " ok" : " cancelled"));
  return accepted;
}

void PlayerDialogs::ShowClosingPicture(uint32_t ms) {
  WindowSystem& windows = player_.platform.windows();
  const WindowId window = window_.window();
  if (!window) return;
  Log("closing picture");
  // Our closing picture: the mascot saying goodbye over the last card.
  Dialog picture("Corvida Player", {240, 64});
  picture.Add(IconArea(-1, {8, 8, 56, 56}, AlertIcon::kMascot));
  picture.Add(StaticText(-1, {68, 24, 232, 40}, "Thank you for playing!")).plain = true;
  gfx::Bitmap canvas;
  const gfx::Bitmap& shown = window_.screen();
  Size size = shown.empty() ? windows.ClientSize(window) : shown.size();
  if (!canvas.Create(std::max(size.width, 1), std::max(size.height, 1), 32)) return;
  gfx::DrawTarget target(canvas);
  target.FillRect(canvas.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  if (!shown.empty()) target.BitBlt(shown.Bounds(), shown, {0, 0}, gfx::rop::kSrcCopy);
  picture.Draw(target, host_.fonts, DialogPlacement(canvas.size(), picture.outer_size()));
  std::vector<uint8_t> rgba;
  const RgbaView frame = gfx::ConvertToRgba(canvas, nullptr, rgba);
  windows.Present(window, frame, {0, 0});
  // It stays for its time; a click or a key ends it sooner.
  Clock& clock = player_.platform.clock();
  const uint32_t end = clock.Milliseconds() + ms;
  Message m;
  for (;;) {
    const uint32_t now = clock.Milliseconds();
    if (int32_t(end - now) <= 0) break;
    if (!windows.WaitMessage(m, end - now)) continue;
    if (m.message == msg::kLButtonDown || m.message == msg::kKeyDown) break;
    if (m.message == msg::kPaint && m.window == window) windows.Present(window, frame, {0, 0});
  }
}

// The Extras manager: the listed Extras with Add (from the Extras folder) and Remove
// (after the question); the Extras menu follows the list when it closes.
void PlayerDialogs::ManageExtras(NbaExtras& extras) {
  Run(kExtrasDialogName, [&] {
    Dialog dialog("Extras", {300, 154});
    dialog.Add(StaticText(-1, {8, 8, 292, 24}, "&Extras of the Extras menu:"));
    dialog.Add(ListBox(kExtrasList, {8, 26, 292, 118}, extras.Rows()));
    dialog.Add(Button(kExtrasAddButton, {8, 124, 76, 147}, "&Add..."));
    dialog.Add(Button(kExtrasRemoveButton, {80, 124, 148, 147}, "&Remove"));
    dialog.Add(Button(kExtrasAboutButton, {152, 124, 220, 147}, "A&bout"));
    dialog.Add(Button(kIdOk, {224, 124, 292, 147}, "Close"));
    dialog.SetCancel(kIdOk);
    dialog.SetFocus(kExtrasList);
    dialog.OnCommand([&](Dialog& d, int id) {
      Control* list = d.Find(kExtrasList);
      if (id == kExtrasAddButton) {
        if (std::optional<std::string> file = ChooseExtra(extras); file && extras.Add(*file))
          Log("extra " + Quoted(*file) + " added");
      } else if (id == kExtrasRemoveButton) {
        if (list->selected >= 0 && extras.RemoveAt(size_t(list->selected))) Log("extra removed");
      } else if (id == kExtrasAboutButton) {
        if (list->selected >= 0) extras.AboutAt(size_t(list->selected));
        return true;
      } else {
        return false;
      }
      list->items = extras.Rows();
      list->selected = std::min(list->selected, int(list->items.size()) - 1);
      return true;
    });
    return RunDialog(host_, dialog);
  });
}

// "Extra Utility:": the Extras folder's ".xtr" files that are not listed yet.
std::optional<std::string> PlayerDialogs::ChooseExtra(NbaExtras& extras) {
  const std::vector<std::string> files = extras.Addable();
  if (files.empty()) {
    alerts_.ShowMessageBox("Extras",
                           "There are no more Extras (*.xtr) in the player's Extras folder.",
                           AlertIcon::kNone);
    return std::nullopt;
  }
  return Run(kAddExtraDialogName, [&]() -> std::optional<std::string> {
    Dialog dialog("Extras *.xtr", {240, 140});
    dialog.Add(StaticText(-1, {8, 8, 232, 24}, "Extra &Utility:"));
    dialog.Add(ListBox(kExtrasList, {8, 26, 232, 104}, files));
    dialog.Add(Button(kIdOk, {72, 110, 147, 133}, "Add"));
    dialog.Add(Button(kIdCancel, {157, 110, 232, 133}, "Cancel"));
    dialog.Find(kExtrasList)->selected = 0;
    dialog.SetFocus(kExtrasList);
    std::optional<std::string> chosen;
    dialog.OnCommand([&](Dialog& d, int id) {
      if (id != kIdOk) return false;
      const int row = d.Find(kExtrasList)->selected;
      if (row >= 0 && row < int(files.size())) chosen = files[size_t(row)];
      d.End(kIdOk);
      return true;
    });
    if (RunDialog(host_, dialog) != kIdOk) return std::nullopt;
    return chosen;
  });
}

}  // namespace corvida
