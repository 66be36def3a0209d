// Folder listings (CATALOG, DIR, ONLINE), printing a file (POFILE), and running and
// writing workspace files (LOAD, SAVE).
#include <time.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "logo/sandbox_files.h"
#include "logo/workspace.h"
#include "platform/charset.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr size_t kNameColumn = 24;

struct Entry {
  std::string name;  // Mac Roman
  std::string date;  // "hh:mm:ss dd Mon yyyy"
  int64_t size = 0;
};

std::string DateText(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm tm {};
  localtime_r(&t, &tm);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%02u %02u %s %04u", unsigned(tm.tm_hour),
                unsigned(tm.tm_min), unsigned(tm.tm_sec), unsigned(tm.tm_mday),
                kMonths[std::clamp(tm.tm_mon, 0, 11)], unsigned(tm.tm_year + 1900));
  return buf;
}

// The prefix folder's entries by name; symbolic links are not shown (they cannot be
// used). False (after error 63) when the folder cannot be had.
bool ListPrefix(Interpreter& in, int row, std::vector<Entry>& out) {
  std::string folder = in.files().sandbox().PrefixFolder();
  if (folder.empty()) {
    in.ErrorRow(kErrDiskIo, row);
    return false;
  }
  for (const DirectoryEntry& e : ListDirectory(folder)) {
    std::string path = folder + "/" + e.name;
    if (IsSymlink(path)) continue;
    FileInfo info = GetFileInfo(path);
    if (!info.exists) continue;
    out.push_back({WindowsToMac(Utf8ToWindows1252(e.name)), DateText(info.modified),
                   info.is_directory ? 0 : info.size});
  }
  std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return true;
}

Node* Catalog(Interpreter& in, PrimCall& c) {
  std::vector<Entry> entries;
  if (!ListPrefix(in, c.row, entries)) return nullptr;
  PrintText(in,
            "Name         Date                  Size   \n"
            "------------ --------------------  -------\n",
            c.row);
  for (const Entry& e : entries) {
    if (in.Unwinding()) break;
    std::string line = e.name;
    size_t column = line.size();
    if (column >= kNameColumn) {
      line += '\n';
      column = 0;
    }
    line.append(kNameColumn - column, ' ');
    char size[32];
    std::snprintf(size, sizeof size, "%7lld", static_cast<long long>(e.size));
    line += e.date + "  " + size + "\n";
    PrintText(in, line, c.row);
    in.InterruptCheck();
  }
  return nullptr;
}

Node* Dir(Interpreter& in, PrimCall& c) {
  std::vector<Entry> entries;
  if (!ListPrefix(in, c.row, entries)) return nullptr;
  Node* list = nullptr;
  for (size_t i = entries.size(); i-- > 0;) {
    const Entry& e = entries[i];
    Node* size = in.NewInt(static_cast<int32_t>(std::min<int64_t>(e.size, INT32_MAX)));
    Node* item = size ? in.Cons(size, nullptr) : nullptr;
    Node* date = item ? in.MakeWord(e.date) : nullptr;
    item = date ? in.Cons(date, item) : nullptr;
    Node* name = item ? (e.name.empty() ? in.empty_word() : in.MakeWord(e.name)) : nullptr;
    item = name ? in.Cons(name, item) : nullptr;
    list = item ? in.Cons(item, list) : nullptr;
    if (!list) return nullptr;
  }
  return list ? list : in.empty_list();
}

// Scripts see no drives: their files live in their own folder.
Node* Online(Interpreter& in, PrimCall&) {
  return in.empty_list();
}

// Opens a name for reading through the sandbox; error 58 showing the input when it cannot.
bool OpenForReading(Interpreter& in, PrimCall& c, TextReader& out) {
  std::string name;
  if (!FileNameInput(in, c, name)) return false;
  Sandbox::Target t;
  if (in.files().sandbox().Resolve(name, Sandbox::Use::kRead, t) && t.exists)
    out = TextReader(t.Open(File::Mode::kRead));
  if (!out.is_open()) {
    in.ErrorRow(kErrCantRead, c.row, FilePos(in, 0));
    return false;
  }
  out.DetectMacFormat();
  return true;
}

Node* PoFile(Interpreter& in, PrimCall& c) {
  TextReader text;
  if (!OpenForReading(in, c, text)) return nullptr;
  std::string line;
  while (!in.Unwinding() && text.ReadLine(line)) {
    line += '\n';
    PrintText(in, line, c.row);
    in.InterruptCheck();
  }
  return nullptr;
}

// The lines of a file LOAD runs, handed to the interpreter's line reader.
class LoadedFile : public LineSource {
 public:
  explicit LoadedFile(TextReader text) : text_(std::move(text)) {}
  bool ReadLine(std::string& line, char) override { return text_.ReadLine(line); }

 private:
  TextReader text_;
};

Node* Load(Interpreter& in, PrimCall& c) {
  TextReader text;
  if (!OpenForReading(in, c, text)) return nullptr;
  // A file that loads itself would otherwise open files without end.
  if (in.load_sources.size() >= FileState::kMaxLoadDepth) {
    in.LimitError(kErrTooManyFiles);
    return nullptr;
  }
  in.load_sources.push_back(std::make_unique<LoadedFile>(std::move(text)));
  return nullptr;
}

Node* Save(Interpreter& in, PrimCall& c) {
  std::string name;
  if (!FileNameInput(in, c, name)) return nullptr;
  Sandbox::Target t;
  bool ok = in.files().sandbox().Resolve(name, Sandbox::Use::kWrite, t);
  Sandbox& sandbox = in.files().sandbox();
  int64_t old_size = t.exists ? GetFileInfo(t.host).size : 0;
  int64_t growth = 0;
  if (ok) {
    std::string bytes = WorkspaceText(in, WorkspaceScope::kNormal);
    MacToWindows(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    // The stack's quota counts the file as it will be; the old one's bytes come back.
    growth = static_cast<int64_t>(bytes.size()) - old_size;
    ok = sandbox.Reserve(std::max<int64_t>(0, growth), t.exists ? 0 : 1);
    if (!ok) {
      in.ErrorRow(kErrDiskIo, c.row);
      return nullptr;
    }
    // Written beside the file and put in its place, so a failed save keeps the old one.
    const std::string temp = t.relative + ".saving";
    File file = File::OpenBeneath(t.root, temp, File::Mode::kCreate);
    ok = file.is_open() && static_cast<int64_t>(bytes.size()) <= kMaxWrittenFileBytes &&
         file.Write(bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
    file.Close();
    ok = ok && ReplaceBeneath(t.root, temp, t.relative);
    if (!ok) DeleteFileBeneath(t.root, temp);
    if (!ok) {
      sandbox.Released(std::max<int64_t>(0, growth), t.exists ? 0 : 1);
    } else {
      if (growth < 0) sandbox.Released(-growth, 0);
      if (!t.exists) sandbox.Added(t.host);
    }
  }
  if (!ok) in.ErrorRow(kErrCantWrite, c.row, FilePos(in, 0));
  return nullptr;
}

}  // namespace

void RegisterFileListingPrimitives(PrimitiveTable& t) {
  t.Set("CATALOG", &Catalog);
  t.Set("DIR", &Dir);
  t.Set("ONLINE", &Online);
  t.Set("POFILE", &PoFile);
  t.Set("LOAD", &Load);
  t.Set("SAVE", &Save);
}

}  // namespace corvida::logo
