#include "logo/sandbox_files.h"

#include <algorithm>

#include "platform/text.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

constexpr size_t kReadChunk = 4096;

}  // namespace

bool TextReader::Fill() {
  if (pos_ < buffer_.size()) return true;
  buffer_.resize(kReadChunk);
  int64_t n = file_.Read(buffer_.data(), buffer_.size());
  buffer_.resize(n > 0 ? static_cast<size_t>(n) : 0);
  pos_ = 0;
  return !buffer_.empty();
}

int TextReader::NextByte() {
  if (!Fill()) return -1;
  return static_cast<uint8_t>(buffer_[pos_++]);
}

void TextReader::DetectMacFormat() {
  Settle();
  mac_format_ = false;
  int c;
  while ((c = NextByte()) >= 0) {
    if (c == '\n') break;
    if (c == '\r') {
      mac_format_ = NextByte() != '\n';
      break;
    }
  }
  buffer_.clear();
  pos_ = 0;
  file_.Seek(0, File::kFromStart);
}

int TextReader::ReadChar() {
  int c = NextByte();
  if (c < 0) return -1;
  if (c == '\r') {
    // CR LF is one line end.
    if (Fill() && buffer_[pos_] == '\n') ++pos_;
    return 13;
  }
  if (c == '\n') return 13;
  if (c >= 128 && !mac_format_) {
    uint8_t b = static_cast<uint8_t>(c);
    WindowsToMac(&b, 1);
    c = b;
  }
  return c;
}

bool TextReader::ReadLine(std::string& line) {
  line.clear();
  int c = ReadChar();
  if (c < 0) return false;
  while (c >= 0 && c != 13) {
    line += static_cast<char>(c);
    if (line.size() >= kMaxLineBytes) break;
    c = ReadChar();
  }
  return true;
}

bool TextReader::AtEnd() {
  return !Fill();
}

int64_t TextReader::Tell() {
  int64_t at = file_.Tell();
  if (at < 0) return -1;
  return at - static_cast<int64_t>(buffer_.size() - pos_);
}

void TextReader::Settle() {
  if (pos_ < buffer_.size()) {
    file_.Seek(-static_cast<int64_t>(buffer_.size() - pos_), File::kFromCurrent);
  }
  buffer_.clear();
  pos_ = 0;
}

int FileState::Find(std::string_view name) const {
  for (int i = 0; i < kSlotCount; ++i) {
    if (slots_[i].open() && EqualsIgnoringCase(slots_[i].name, name)) return i;
  }
  return -1;
}

int FileState::FreeSlot() const {
  for (int i = 0; i < kSlotCount; ++i)
    if (!slots_[i].open()) return i;
  return -1;
}

void FileState::Close(int i) {
  if (i < 0 || i >= kSlotCount) return;
  slots_[i] = Slot{};
  if (reader == i) reader = kConsole;
  if (writer == i) writer = kConsole;
}

void FileState::CloseAll() {
  for (int i = 0; i < kSlotCount; ++i) Close(i);
}

std::vector<std::string> FileState::OpenNames() const {
  std::vector<std::string> names;
  for (const Slot& s : slots_)
    if (s.open()) names.push_back(s.name);
  return names;
}

std::string FileText(std::string_view mac_text) {
  std::string out;
  out.reserve(mac_text.size() + mac_text.size() / 16);
  for (char c : mac_text) {
    if (c == '\r' || c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  MacToWindows(reinterpret_cast<uint8_t*>(out.data()), out.size());
  return out;
}

bool FileState::Write(int i, std::string_view mac_text) {
  if (i < 0 || i >= kSlotCount || !slots_[i].open() || slots_[i].read_only) return false;
  TextReader& t = slots_[i].text;
  t.Settle();
  std::string bytes = FileText(mac_text);
  int64_t at = t.file().Tell();
  int64_t end = at + static_cast<int64_t>(bytes.size());
  int64_t size = t.file().Size();
  if (at < 0 || size < 0 || end > kMaxWrittenFileBytes) return false;
  // Only what the file grows by counts against the stack's quota.
  int64_t growth = std::max<int64_t>(0, end - size);
  if (!sandbox_.Reserve(growth, 0)) return false;
  bool written = t.file().Write(bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
  if (!written) sandbox_.Released(growth, 0);
  return written;
}

void PrintText(Interpreter& in, std::string_view mac_text, int row) {
  if (!in.output_enabled) return;
  FileState& f = in.files();
  if (f.writer == FileState::kConsole) {
    in.Output(mac_text);
    return;
  }
  if (!f.Write(f.writer, mac_text)) in.ErrorRow(kErrDiskIo, row);
}

}  // namespace corvida::logo
