// Saving a stack: unused resources purged, the workspace stored, every record converted
// back to the stored form in a copy, and the whole file written to a temporary file in
// the target's folder that then replaces the target. The target is never rewritten in
// place, so a failure midway leaves the old file whole.
#include <cstring>
#include <vector>

#include "stackfile/records.h"
#include "stackfile/stack.h"
#include "stackfile/stack_io.h"

namespace corvida {

namespace {
constexpr uint64_t kSpareBytes = 2048;
constexpr int kLockedFile = -2688;
constexpr uint16_t kSavedWorkspaceId = 128;

// A failed save whose file error the user is shown.
StackSaveResult SaveFileError(int reported) {
  return {-1, {{StackMessage::Kind::kFileError, reported}}};
}
}  // namespace

bool Stack::BuildFile(std::vector<uint8_t>& out) {
  out.assign(header::kSize, 0);
  uint64_t cards_size = 0;
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    if (!bytes || bytes.size() < card::kMinRecordSize) return false;
    size_t at = out.size();
    out.insert(out.end(), bytes.data(), bytes.data() + bytes.size());
    Bytes copy{out.data() + at, bytes.size()};
    Put32(copy.data + card::kLength, static_cast<uint32_t>(copy.size));
    if (names_converted_) ConvertCardNames(copy, Direction::kSave);
    ConvertCardRecord(copy, Direction::kSave);
    uint8_t* end = copy.data + copy.size - 4;
    end[0] = end[1] = 0;
    PutBE16(end + 2, card::kTrailer);
    cards_size += copy.size;
  }
  if (header::kSize + cards_size > UINT32_MAX) return false;

  const ResourceFile* area = resources_.current();
  {
    LockedHandle h(handles_, header_);
    if (!h) return false;
    std::memcpy(out.data(), h.data(), header::kSize);
  }
  uint8_t* h = out.data();
  Put16(h + header::kCardCount, static_cast<uint16_t>(CardCount()));
  if (white_first_color_)
    Put16(h + header::kFlags, Get16(h + header::kFlags) | header::kFlagMacNames);
  Put32(h + header::kResourceOffset, static_cast<uint32_t>(header::kSize + cards_size));
  Put32(h + header::kResourceCount, area ? static_cast<uint32_t>(area->entries.size()) : 0);
  Put16(h + header::kLastResourceId, area ? area->last_id : 1);
  header::Convert(h, Direction::kSave);
  return resources_.WriteArea(out);
}

StackSaveResult Stack::SaveCopy(std::vector<uint8_t>& bytes, bool purge_unused) {
  if (!is_open()) return {-1, {}};
  if (workspace_listener_) workspace_listener_->StackSaving();
  bool keep = Header16(header::kFlags) & header::kFlagKeepUnusedResources;
  if (purge_unused && !keep) PurgeUnusedResources();
  if (workspace_changed_) {
    Handle text = handles_.New(static_cast<uint32_t>(workspace_.size()));
    if (!text) {
      return SaveFileError(strid::kNoRamForOperation);
    }
    std::memcpy(handles_.Lock(text), workspace_.data(), workspace_.size());
    handles_.Unlock(text);
    if (resources_.Store(restype::kWKSp, kSavedWorkspaceId, text, "", Resources::kStoreReplace) !=
        0) {
      handles_.Dispose(text);
      return SaveFileError(strid::kCannotAddResource);
    }
    workspace_changed_ = false;
  }
  // All data in memory first: the temporary file may be about to replace the file that
  // unloaded resources would be read from.
  if (!resources_.LoadAll()) {
    return SaveFileError(-1);
  }
  // The file says its names are Mac Roman when flag bit 4 is set or its first colour is
  // white; names in memory are in the Windows set, so they are converted back then.
  names_converted_ =
      names_converted_ || white_first_color_ || (Header16(header::kFlags) & header::kFlagMacNames);
  if (ResourceFile* area = resources_.current()) area->convert_names = names_converted_;
  bytes.clear();
  if (!BuildFile(bytes)) {
    return SaveFileError(strid::kNoRamForOperation);
  }
  return {};
}

StackSaveResult Stack::Save(const std::string& path, bool purge_unused) {
  std::vector<uint8_t> bytes;
  if (StackSaveResult built = SaveCopy(bytes, purge_unused); !built.saved()) return built;
  if (stackio::Exists(path) && !stackio::IsWritable(path)) {
    return {kLockedFile, {{StackMessage::Kind::kFileError, kLockedFile}}};
  }
  std::string folder = stackio::FolderOf(path);
  // The temporary file holds the whole new stack while the old one still exists.
  if (stackio::FreeSpace(folder) < bytes.size() + kSpareBytes) {
    return {kRefused, {{StackMessage::Kind::kAlert, strid::kDiskFull}}};
  }
  File file;
  std::string temp = stackio::CreateTempSaveFile(folder, file);
  if (temp.empty()) {
    return SaveFileError(strid::kDirectoryFull);
  }
  // Written through the file just made, synced, then renamed over the target.
  if (file.Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    file.Close();
    stackio::Remove(temp);
    return SaveFileError(strid::kIoError);
  }
  if (!ReplaceFileWith(file, temp, path)) {
    return SaveFileError(2680);
  }
  path_ = path;
  changed_ = false;
  resources_.Relocate(path, GetBE32(bytes.data() + header::kResourceOffset));
  return {};
}

}  // namespace corvida
