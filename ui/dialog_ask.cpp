#include "ui/dialog_ask.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/text.h"

namespace corvida {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

bool IsFolderEntry(const std::string& entry) {
  return entry.size() >= 2 && entry.front() == '[' && entry.back() == ']';
}

std::string Parent(const std::string& folder) {
  const size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return folder.substr(0, slash);
}

}  // namespace

std::optional<std::string> AskUserName(DialogHost& host, const std::string& current) {
  Dialog d("Your name", {260, 70});
  d.Add(StaticText(-1, {8, 12, 90, 28}, "Your &name:"));
  d.Add(EditField(kUserNameField, {92, 8, 252, 30}, kUserNameLimit, current));
  d.Add(Button(kIdOk, {92, 40, 167, 63}, "OK"));
  d.Add(Button(kIdCancel, {177, 40, 252, 63}, "Cancel"));
  d.SetFocus(kUserNameField);
  if (RunDialog(host, d) != kIdOk) return std::nullopt;
  return d.Text(kUserNameField);
}

std::vector<std::string> ChooserEntries(const std::string& folder, const std::string& extension) {
  std::vector<std::string> folders, files;
  const std::string wanted = Lower(extension);
  for (const DirectoryEntry& e : ListDirectory(folder)) {
    if (e.name.empty() || e.name[0] == '.') continue;
    if (e.is_directory) {
      folders.push_back("[" + e.name + "]");
    } else if (e.name.size() > wanted.size() &&
               Lower(e.name.substr(e.name.size() - wanted.size())) == wanted) {
      files.push_back(e.name);
    }
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  std::vector<std::string> entries;
  if (folder != "/") entries.push_back("[..]");
  entries.insert(entries.end(), folders.begin(), folders.end());
  entries.insert(entries.end(), files.begin(), files.end());
  return entries;
}

std::optional<std::string> ChooseFile(DialogHost& host, const std::string& prompt,
                                      std::string folder, const std::string& extension) {
  if (std::string canonical = CanonicalPath(folder); !canonical.empty()) folder = canonical;
  Dialog d(prompt, {300, 230});
  d.Add(StaticText(kChooserFolder, {8, 6, 292, 22}, folder)).plain = true;
  d.Add(ListBox(kChooserList, {8, 26, 292, 26 + 10 * Dialog::kListRowHeight + 4},
                ChooserEntries(folder, extension)));
  d.Add(Button(kIdOk, {132, 198, 207, 221}, "OK"));
  d.Add(Button(kIdCancel, {217, 198, 292, 221}, "Cancel"));
  d.SetFocus(kChooserList);
  std::string chosen;
  d.OnCommand([&](Dialog& dialog, int id) {
    if (id != kIdOk) return false;
    Control* list = dialog.Find(kChooserList);
    if (list->selected < 0 || size_t(list->selected) >= list->items.size()) return true;
    const std::string entry = list->items[size_t(list->selected)];
    if (!IsFolderEntry(entry)) {
      chosen = JoinPath(folder, entry);
      dialog.End(kIdOk);
      return true;
    }
    // Into a folder (or up): the list is made again for it.
    const std::string name = entry.substr(1, entry.size() - 2);
    folder = name == ".." ? Parent(folder) : JoinPath(folder, name);
    list->items = ChooserEntries(folder, extension);
    list->selected = -1;
    list->top = 0;
    dialog.SetText(kChooserFolder, folder);
    return true;
  });
  if (RunDialog(host, d) != kIdOk || chosen.empty()) return std::nullopt;
  return chosen;
}

}  // namespace corvida
