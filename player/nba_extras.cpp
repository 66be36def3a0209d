#include "player/nba_extras.h"

#include <algorithm>

#include "base/strings.h"
#include "platform/text.h"
#include "player/nba_modules.h"

namespace corvida {
namespace {
constexpr const char* kSection = "ExtraIDs";
}  // namespace

void NbaExtras::Load() {
  std::vector<NbaExtra>& extras = player_.nbas.extras;
  extras.clear();
  uint16_t command = kFirstCommand;
  for (size_t key = 1; key <= kMaxExtras; ++key) {
    const std::string file = player_.prefs.ReadPref(kSection, std::to_string(key));
    if (file == Prefs::kMissing || file.empty()) break;
    NbaExtra extra;
    extra.file_name = file;
    // An Extra that cannot say its name stays in the list, unoffered.
    if (AskName(extra)) extra.command = command++;
    extras.push_back(std::move(extra));
  }
}

bool NbaExtras::AskName(NbaExtra& extra) {
  std::unique_ptr<NbaModule> module =
      nbas_.modules().Load(extra.file_name, NbaFolder::kExtras).module;
  if (!module) return false;
  if (std::optional<NbaModuleInfo> info = module->Info()) {
    extra.about_flags = info->about_flags;
    extra.about = info->about;
  }
  // The name comes back in a block of 33 bytes the player hands out and reads back.
  CallbackDispatch& d = nbas_.dispatch();
  const uint32_t buffer = d.NewBlock(std::vector<uint8_t>(kNameBytes, 0));
  CallbackBlock block;
  block.set_param(1, kNameBytes);
  block.set_param(2, buffer);
  const NbaHost::Result r = nbas_.CallModule(*module, 0, nbamsg::kName, block, nullptr);
  const std::vector<uint8_t> name = d.ReadBlock(buffer, kNameBytes);
  d.DisposeBlock(buffer);
  extra.menu_name.assign(name.begin(), std::find(name.begin(), name.end(), uint8_t{0}));
  return r.answer == 0 && !extra.menu_name.empty();
}

std::vector<NbaExtras::Item> NbaExtras::Items() const {
  std::vector<Item> items;
  for (const NbaExtra& extra : player_.nbas.extras) {
    if (extra.command) items.push_back({extra.command, extra.menu_name});
  }
  return items;
}

NbaExtra* NbaExtras::Find(int command) {
  for (NbaExtra& extra : player_.nbas.extras) {
    if (extra.command != 0 && extra.command == command) return &extra;
  }
  return nullptr;
}

bool NbaExtras::Run(int command) {
  NbaExtra* extra = Find(command);
  if (!extra) return false;
  // It stays loaded until the stack closes.
  if (!extra->module)
    extra->module = nbas_.modules().Load(extra->file_name, NbaFolder::kExtras).module;
  if (extra->module && !nbas_.in_call())
    nbas_.CallModule(*extra->module, 0, nbamsg::kRun, {}, &extra->persistent);
  return true;
}

bool NbaExtras::AboutAt(size_t row) {
  std::vector<NbaExtra>& extras = player_.nbas.extras;
  if (row >= extras.size() || nbas_.in_call()) return false;
  NbaExtra& extra = extras[row];
  if (extra.about_flags & NBA_ABOUT_OWN_BOX) {
    // An Extra not run yet is loaded for its About only.
    std::unique_ptr<NbaModule> once;
    if (!extra.module) once = nbas_.modules().Load(extra.file_name, NbaFolder::kExtras).module;
    NbaModule* module = extra.module ? extra.module.get() : once.get();
    if (!module) return false;
    nbas_.CallModule(*module, 0, nbamsg::kAbout, {}, &extra.persistent);
    return true;
  }
  const std::string title =
      "About " + (extra.menu_name.empty() ? extra.file_name : extra.menu_name);
  player_.platform.alerts().ShowMessageBox(
      title, extra.about.empty() ? "This Extra tells nothing about itself." : extra.about,
      AlertIcon::kNone);
  return true;
}

bool NbaExtras::Remove(int command) {
  NbaExtra* extra = Find(command);
  return extra && RemoveAt(size_t(extra - player_.nbas.extras.data()));
}

bool NbaExtras::RemoveAt(size_t row) {
  std::vector<NbaExtra>& extras = player_.nbas.extras;
  if (row >= extras.size() || nbas_.in_call()) return false;
  if (player_.alerts.Alert(strid::kConfirmDeleteExtra) != 1) return false;
  extras.erase(extras.begin() + std::ptrdiff_t(row));
  WriteList();
  Renumber();
  return true;
}

void NbaExtras::Renumber() {
  uint16_t next = kFirstCommand;
  for (NbaExtra& e : player_.nbas.extras) {
    if (e.command) e.command = next++;
  }
}

std::vector<std::string> NbaExtras::Rows() const {
  std::vector<std::string> rows;
  for (const NbaExtra& e : player_.nbas.extras)
    rows.push_back(e.command ? e.menu_name + " (" + e.file_name + ")"
                             : e.file_name + " (not in the menu)");
  return rows;
}

std::vector<std::string> NbaExtras::Addable() {
  std::vector<std::string> files = nbas_.modules().ExtraFiles();
  std::erase_if(files, [this](const std::string& f) { return Listed(f); });
  return files;
}

bool NbaExtras::Listed(const std::string& file_name) const {
  return std::any_of(player_.nbas.extras.begin(), player_.nbas.extras.end(),
                     [&](const NbaExtra& e) { return EqualsIgnoringCase(e.file_name, file_name); });
}

bool NbaExtras::Add(const std::string& file_name) {
  std::vector<NbaExtra>& extras = player_.nbas.extras;
  if (extras.size() >= kMaxExtras || nbas_.in_call()) return false;
  const std::vector<std::string> addable = Addable();
  if (std::find(addable.begin(), addable.end(), file_name) == addable.end()) return false;
  NbaExtra extra;
  extra.file_name = file_name;
  if (AskName(extra)) extra.command = 1;  // numbered in its place below
  extras.push_back(std::move(extra));
  WriteList();
  Renumber();
  return true;
}

void NbaExtras::WriteList() {
  // Keys after the last Extra are emptied: the list ends at the first empty one.
  const std::vector<NbaExtra>& extras = player_.nbas.extras;
  size_t key = 1;
  for (const NbaExtra& extra : extras)
    player_.prefs.WritePref(kSection, std::to_string(key++), extra.file_name);
  player_.prefs.WritePref(kSection, std::to_string(key), "");
}

}  // namespace corvida
