// The open-file table and the folder primitives: OPEN, CLOSE, CLOSEALL, ALLOPEN, the
// reader and writer selections and positions, FILELEN, FILEP, ERASEFILE, RENAME,
// CREATEDIRECTORY, SETPREFIX and PREFIX. Every name goes through the sandbox.
#include <algorithm>
#include <climits>

#include "logo/sandbox_files.h"

namespace corvida::logo {

bool FileNameOf(Node* v, std::string& name) {
  if (!v || v->IsList()) return false;
  name = v->IsNumber() ? NumberText(v) : WordChars(v);
  return true;
}

bool FileNameInput(Interpreter& in, PrimCall& c, std::string& name) {
  if (FileNameOf(c.in[0], name)) return true;
  in.ErrorRow(c.in[0] ? kErrDoesntLike : kErrNotEnoughInputs, c.row, FilePos(in, 0));
  return false;
}

Node* FilePos(Interpreter& in, int i) {
  return in.input_pos[i] ? in.input_pos[i] : in.empty_list();
}

Node* WordList(Interpreter& in, const std::vector<std::string>& items) {
  Node* list = in.empty_list();
  for (size_t i = items.size(); i-- > 0;) {
    Node* w = items[i].empty() ? in.empty_word() : in.MakeWord(items[i]);
    if (!w) return nullptr;
    list = in.Cons(w, list == in.empty_list() ? nullptr : list);
    if (!list) return nullptr;
  }
  return list;
}

namespace {

// Slot of an open file named by a word input; reports error 45 (or 41) when there is none.
int OpenSlotInput(Interpreter& in, PrimCall& c) {
  std::string name;
  if (!FileNameOf(c.in[0], name)) {
    in.ErrorRow(c.in[0] ? kErrDoesntLike : kErrNotEnoughInputs, c.row, c.in[0]);
    return -1;
  }
  int slot = in.files().Find(name);
  if (slot < 0) in.Error(kErrNotOpen, c.in[0]);
  return slot;
}

bool IsEmptyInput(Node* v) {
  return v && ((v->IsWord() && FirstChar(v) == '\0') || Interpreter::IsEmptyList(v));
}

// True when a resolved host path is the file of an open slot.
bool HostPathOpen(FileState& f, const std::string& host) {
  for (int i = 0; i < FileState::kSlotCount; ++i)
    if (f.slot(i).open() && f.slot(i).host == host) return true;
  return false;
}

Node* Open(Interpreter& in, PrimCall& c) {
  FileState& f = in.files();
  int slot = f.FreeSlot();
  if (slot < 0) {
    in.ErrorRow(kErrTooManyFiles, c.row);
    return nullptr;
  }
  std::string name;
  if (!FileNameInput(in, c, name)) return nullptr;
  Sandbox::Target t;
  File file;
  bool read_only = false;
  if (f.sandbox().Resolve(name, Sandbox::Use::kWrite, t)) {
    // A missing file is created, within the stack's quota; an existing one is never emptied.
    if (!t.exists && !f.sandbox().Reserve(0, 1)) {
      in.ErrorRow(kErrDiskIo, c.row);
      return nullptr;
    }
    file = t.Open(t.exists ? File::Mode::kReadWrite : File::Mode::kCreateNew);
    if (!t.exists) {
      if (file.is_open()) {
        f.sandbox().Added(t.host);
      } else {
        f.sandbox().Released(0, 1);
      }
    }
    if (!file.is_open() && t.exists) {
      file = t.Open(File::Mode::kRead);
      read_only = true;
    }
  }
  if (!file.is_open() && f.sandbox().Resolve(name, Sandbox::Use::kRead, t) && t.read_only) {
    file = t.Open(File::Mode::kRead);
    read_only = true;
  }
  if (!file.is_open()) {
    in.ErrorRow(kErrCantRead, c.row, FilePos(in, 0));
    return nullptr;
  }
  FileState::Slot& s = f.slot(slot);
  s.text = TextReader(std::move(file));
  s.text.DetectMacFormat();
  s.name = name;
  s.host = t.host;
  s.read_only = read_only;
  return nullptr;
}

Node* Close(Interpreter& in, PrimCall& c) {
  int slot = OpenSlotInput(in, c);
  if (slot >= 0) in.files().Close(slot);
  return nullptr;
}

Node* CloseAll(Interpreter& in, PrimCall&) {
  in.files().CloseAll();
  return nullptr;
}

Node* AllOpen(Interpreter& in, PrimCall&) {
  return WordList(in, in.files().OpenNames());
}

Node* SetReadOrWrite(Interpreter& in, PrimCall& c, bool write) {
  FileState& f = in.files();
  int slot = FileState::kConsole;
  if (!IsEmptyInput(c.in[0])) {
    slot = OpenSlotInput(in, c);
    if (slot < 0) return nullptr;
    if (write && f.slot(slot).read_only) {
      in.ErrorRow(kErrCantWrite, c.row, c.in[0]);
      return nullptr;
    }
  }
  if (write) {
    f.writer = slot;
    if (slot >= 0) f.slot(slot).text.set_mac_format(false);
  } else {
    f.reader = slot;
  }
  return nullptr;
}

Node* SetRead(Interpreter& in, PrimCall& c) {
  return SetReadOrWrite(in, c, false);
}
Node* SetWrite(Interpreter& in, PrimCall& c) {
  return SetReadOrWrite(in, c, true);
}

Node* SelectedName(Interpreter& in, int slot) {
  if (slot < 0) return in.empty_list();
  const std::string& name = in.files().slot(slot).name;
  return name.empty() ? in.empty_word() : in.MakeWord(name);
}

Node* Reader(Interpreter& in, PrimCall&) {
  return SelectedName(in, in.files().reader);
}
Node* Writer(Interpreter& in, PrimCall&) {
  return SelectedName(in, in.files().writer);
}

// The reader's or writer's slot; error 65 or 73 under the primitive when it is the console.
int SelectedSlot(Interpreter& in, PrimCall& c, bool write) {
  int slot = write ? in.files().writer : in.files().reader;
  if (slot < 0) in.ErrorRow(write ? kErrWantsWriter : kErrWantsReader, c.row);
  return slot;
}

Node* Position(Interpreter& in, PrimCall& c, bool write) {
  int slot = SelectedSlot(in, c, write);
  if (slot < 0) return nullptr;
  int64_t at = in.files().slot(slot).text.Tell();
  if (at < 0) {
    in.ErrorRow(kErrDiskIo, c.row);
    return nullptr;
  }
  return in.NewInt(static_cast<int32_t>(std::min<int64_t>(at, INT32_MAX)));
}

Node* ReadPos(Interpreter& in, PrimCall& c) {
  return Position(in, c, false);
}
Node* WritePos(Interpreter& in, PrimCall& c) {
  return Position(in, c, true);
}

Node* SetPosition(Interpreter& in, PrimCall& c, bool write) {
  int slot = SelectedSlot(in, c, write);
  if (slot < 0) return nullptr;
  int32_t n = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  TextReader& t = in.files().slot(slot).text;
  t.Settle();
  if (n < 0 || (write && n > kMaxWrittenFileBytes) || t.file().Seek(n, File::kFromStart) != n)
    in.ErrorRow(kErrDiskIo, c.row);
  return nullptr;
}

Node* SetReadPos(Interpreter& in, PrimCall& c) {
  return SetPosition(in, c, false);
}
Node* SetWritePos(Interpreter& in, PrimCall& c) {
  return SetPosition(in, c, true);
}

Node* FileLen(Interpreter& in, PrimCall& c) {
  int slot = OpenSlotInput(in, c);
  if (slot < 0) return nullptr;
  int64_t size = in.files().slot(slot).text.file().Size();
  if (size < 0) {
    in.ErrorRow(kErrDiskIo, c.row);
    return nullptr;
  }
  return in.NewInt(static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX)));
}

Node* FileP(Interpreter& in, PrimCall& c) {
  std::string name;
  if (!FileNameOf(c.in[0], name)) return in.false_node();
  FileState& f = in.files();
  if (f.Find(name) >= 0) return in.true_node();
  Sandbox::Target t;
  if (!f.sandbox().Resolve(name, Sandbox::Use::kRead, t) || !t.exists) return in.false_node();
  return in.Truth(t.Open(File::Mode::kRead).is_open());
}

// Resolves a name for a change in the sandbox; error 63 when it is refused, or names an
// open file. `want` is whether something must (true) or must not (false) be there.
bool ChangeTarget(Interpreter& in, PrimCall& c, int input, bool want, Sandbox::Target& t) {
  std::string name;
  if (!FileNameOf(c.in[input], name) ||
      !in.files().sandbox().Resolve(name, Sandbox::Use::kWrite, t) || t.exists != want ||
      HostPathOpen(in.files(), t.host)) {
    in.ErrorRow(kErrDiskIo, c.row);
    return false;
  }
  return true;
}

Node* EraseFile(Interpreter& in, PrimCall& c) {
  Sandbox::Target t;
  if (!ChangeTarget(in, c, 0, true, t)) return nullptr;
  int64_t size = GetFileInfo(t.host).size;
  if (!DeleteFileBeneath(t.root, t.relative)) {
    in.ErrorRow(kErrDiskIo, c.row);
    return nullptr;
  }
  in.files().sandbox().Released(size, 1);
  in.files().sandbox().Removed(t.host);
  return nullptr;
}

Node* Rename(Interpreter& in, PrimCall& c) {
  Sandbox::Target from, to;
  // The new name must be free: renaming never replaces a file.
  if (!ChangeTarget(in, c, 0, true, from) || !ChangeTarget(in, c, 1, false, to)) return nullptr;
  if (from.root != to.root || !RenameBeneath(from.root, from.relative, to.relative)) {
    in.ErrorRow(kErrDiskIo, c.row);
    return nullptr;
  }
  in.files().sandbox().Removed(from.host);
  in.files().sandbox().Added(to.host);
  return nullptr;
}

Node* CreateDir(Interpreter& in, PrimCall& c) {
  Sandbox::Target t;
  Sandbox& sandbox = in.files().sandbox();
  if (!ChangeTarget(in, c, 0, false, t)) return nullptr;
  if (!sandbox.Reserve(0, 1)) {
    in.ErrorRow(kErrDiskIo, c.row);
  } else if (!CreateDirectoryBeneath(t.root, t.relative)) {
    sandbox.Released(0, 1);
    in.ErrorRow(kErrDiskIo, c.row);
  } else {
    sandbox.Added(t.host);
  }
  return nullptr;
}

Node* SetPrefix(Interpreter& in, PrimCall& c) {
  std::string path;
  if (!IsEmptyInput(c.in[0]) && !FileNameOf(c.in[0], path)) {
    in.ErrorRow(kErrDiskIo, c.row);
    return nullptr;
  }
  if (!in.files().sandbox().SetPrefix(path)) in.ErrorRow(kErrDiskIo, c.row);
  return nullptr;
}

Node* Prefix(Interpreter& in, PrimCall& c) {
  Sandbox& s = in.files().sandbox();
  if (s.PrefixFolder().empty()) {
    in.ErrorRow(kErrDiskIo, c.row);
    return nullptr;
  }
  return s.prefix().empty() ? in.empty_word() : in.MakeWord(s.prefix());
}

}  // namespace

void RegisterFilePrimitives(PrimitiveTable& t) {
  t.Set("OPEN", &Open);
  t.Set("CLOSE", &Close);
  t.Set("CLOSEALL", &CloseAll);
  t.Set("ALLOPEN", &AllOpen);
  t.Set("SETREAD", &SetRead);
  t.Set("SETWRITE", &SetWrite);
  t.Set("READER", &Reader);
  t.Set("WRITER", &Writer);
  t.Set("READPOS", &ReadPos);
  t.Set("WRITEPOS", &WritePos);
  t.Set("SETREADPOS", &SetReadPos);
  t.Set("SETWRITEPOS", &SetWritePos);
  t.Set("FILELEN", &FileLen);
  t.Set("FILEP", &FileP);
  t.Set("ERASEFILE", &EraseFile);
  t.Set("RENAME", &Rename);
  t.Set("CREATEDIRECTORY", &CreateDir);
  t.Set("SETPREFIX", &SetPrefix);
  t.Set("PREFIX", &Prefix);
  RegisterFileListingPrimitives(t);
}

}  // namespace corvida::logo
