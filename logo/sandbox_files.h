// The interpreter's files: the eight-slot open-file table, the reader and writer
// selections, and text reading and writing in the interpreter's character set. Files on
// disk hold the Windows character set with CR LF line ends; a file whose first line ends
// in a lone CR is taken as Mac text and read without conversion. CR LF, CR and LF each
// read as one line end.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logo/interp.h"
#include "logo/sandbox.h"
#include "platform/files.h"

namespace corvida::logo {

// Error codes of the file and input primitives.
enum FileErrorCode : int {
  kErrTooManyFiles = 20,
  kErrNotOpen = 45,
  kErrCantWrite = 57,
  kErrCantRead = 58,
  kErrDiskIo = 63,
  kErrWantsReader = 65,
  kErrWantsWriter = 73,
};

// Longest line a file read hands out at once (the rest comes as the next line), and the
// largest file a script may write.
constexpr size_t kMaxLineBytes = 1 << 20;
constexpr int64_t kMaxWrittenFileBytes = int64_t{64} << 20;

// A text file read one character at a time through a buffer.
class TextReader {
 public:
  TextReader() = default;
  explicit TextReader(File file) : file_(std::move(file)) {}
  File& file() { return file_; }
  bool is_open() const { return file_.is_open(); }

  // Looks at the first line end (a lone CR: Mac text) and goes back to the start.
  void DetectMacFormat();
  bool mac_format() const { return mac_format_; }
  void set_mac_format(bool mac) { mac_format_ = mac; }

  // The next character in Mac Roman, any line end as 13; -1 at the end of the file.
  int ReadChar();
  // The next line without its end; false at the end of the file with nothing read.
  bool ReadLine(std::string& line);
  bool AtEnd();
  // Position as the script sees it (buffered bytes not yet taken do not count).
  int64_t Tell();
  // Drops the buffer so the file's own position is the reading position again; done
  // before every write and seek.
  void Settle();

 private:
  int NextByte();
  bool Fill();

  File file_;
  std::string buffer_;
  size_t pos_ = 0;
  bool mac_format_ = false;
};

class FileState {
 public:
  static constexpr int kSlotCount = 8;
  static constexpr int kConsole = -1;
  // Loaded files that may be running at once, one inside another.
  static constexpr size_t kMaxLoadDepth = 8;

  FileState(std::string folder, std::vector<NamedFolder> media, FileQuota quota = {})
      : sandbox_(std::move(folder), std::move(media), quota) {}

  Sandbox& sandbox() { return sandbox_; }

  struct Slot {
    TextReader text;
    std::string name;  // as the script gave it (Mac Roman)
    std::string host;  // where it is
    bool read_only = false;
    bool open() const { return text.is_open(); }
  };
  Slot& slot(int i) { return slots_[i]; }
  // Slot holding a name (compared without letter case), or -1.
  int Find(std::string_view name) const;
  int FreeSlot() const;
  void Close(int i);
  void CloseAll();
  std::vector<std::string> OpenNames() const;

  int reader = kConsole;
  int writer = kConsole;

  // Writes text (Mac Roman, '\n' or '\r' line ends) to a slot as Windows text with CR LF.
  // False when the write failed or would pass the size limit.
  bool Write(int i, std::string_view mac_text);

 private:
  Sandbox sandbox_;
  std::array<Slot, kSlotCount> slots_;
};

// The file name a value stands for (a word or number); false for a list or null.
bool FileNameOf(Node* v, std::string& name);
// The first input as a file name; error 41 showing the input's position when it is not.
bool FileNameInput(Interpreter& in, PrimCall& c, std::string& name);
// Where input i of the current call began, for error reports.
Node* FilePos(Interpreter& in, int i);
// A list of words (the empty list for none).
Node* WordList(Interpreter& in, const std::vector<std::string>& items);

// Mac Roman text to the Windows character set with CR LF line ends, as files hold it.
std::string FileText(std::string_view mac_text);

// Text a printing primitive (PRINT, TYPE, SHOW, CATALOG, POFILE) produces: to the writer
// file when one is selected, else to the interpreter's output. A failed file write is
// reported as error 63 under the given row.
void PrintText(Interpreter& in, std::string_view mac_text, int row);

}  // namespace corvida::logo
