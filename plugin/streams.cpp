#include "plugin/streams.h"

#include <utility>

#include "plugin/urls.h"
#include "stackfile/fileslots.h"

namespace corvida::plugin {

StreamIntake::StreamIntake(DownloadCache& cache, const PinnedFiles& pins, DownloadTarget& target,
                           UrlRequester& requester)
    : cache_(cache), pins_(pins), target_(target), requester_(requester) {}

StreamIntake::~StreamIntake() {
  Abandon();
  if (!uncached_path_.empty()) DeleteFile(uncached_path_);
}

bool StreamIntake::IsCurrent(const std::string& url) {
  if (current_url_.empty()) current_url_ = url;
  return SameUrl(url, current_url_);
}

void StreamIntake::CloseFile() {
  file_.Close();
  file_path_.clear();
  file_cached_ = false;
  written_ = 0;
}

void StreamIntake::Abandon() {
  if (!file_.is_open()) return;
  // An unfinished file is of no use to anyone later.
  const std::string path = file_path_;
  const bool cached = file_cached_;
  CloseFile();
  if (cached) {
    cache_.Forget(path);
  } else {
    DeleteFile(path);
  }
}

// ---- streams ----

int StreamIntake::NewStream(const StreamInfo& stream) {
  Abandon();
  current_is_stack_ = IsStackUrl(stream.url) || IsStackType(stream.mime_type);
  if (current_is_stack_) {
    base_url_ = stream.url;
    queue_.Clear();
  }
  current_url_ = stream.url;
  announced_length_ = stream.length;
  no_file_ = false;
  if (cache_.Lookup(stream.url, stream.last_modified, stream.length)) {
    // Served from the cache: the first block ends the stream and the cached file is used.
    served_from_cache_ = true;
    return 0;
  }
  served_from_cache_ = false;
  file_ = cache_.CreateFile(stream.url, file_path_);
  no_file_ = !file_.is_open();
  if (no_file_) return 1;
  file_cached_ = cache_.Add(stream.url, file_path_, stream.last_modified, stream.length, pins_);
  return 0;
}

int32_t StreamIntake::Write(const StreamInfo& stream, std::span<const uint8_t> bytes) {
  if (!IsCurrent(stream.url)) return 0;
  if (served_from_cache_) {
    served_from_cache_ = false;
    Complete(stream.url, "");
    return -1;
  }
  if (!file_.is_open()) return int32_t(bytes.size());  // no file: the bytes are dropped
  const uint64_t limit = stream.length > 0 ? stream.length : kStreamByteLimit;
  if (written_ + bytes.size() > limit) {
    FailStream(stream.url, stream.length > 0
                               ? "the server sent more than the " + std::to_string(stream.length) +
                                     " bytes it announced"
                               : "it is larger than the " + std::to_string(kStreamByteLimit) +
                                     " bytes the player takes from a stream of unknown length");
    return -1;
  }
  if (file_.Write(bytes.data(), bytes.size()) != int64_t(bytes.size())) {
    FailStream(stream.url, "it could not be written to the download cache");
    return -1;
  }
  written_ += bytes.size();
  cache_.AddWritten(file_path_, uint32_t(bytes.size()));
  return int32_t(bytes.size());
}

int StreamIntake::DestroyStream(const StreamInfo& stream, bool broken) {
  if (!IsCurrent(stream.url)) return 0;
  if (served_from_cache_) {
    // Ended before its first block: the cached file serves all the same.
    served_from_cache_ = false;
    Complete(stream.url, "");
    return 0;
  }
  if (!file_.is_open()) {
    // A stream that had no file delivers nothing: the request that waited for it gives
    // way, or every later request would wait behind it.
    if (std::exchange(no_file_, false))
      FailStream(stream.url, "no file could be made for it in the download cache");
    return 0;
  }
  if (broken) {
    FailStream(stream.url, "the download broke off after " + std::to_string(written_) + " bytes");
    return 0;
  }
  if (stream.length > 0 && written_ < stream.length) {
    FailStream(stream.url, "the stream ended after " + std::to_string(written_) + " of its " +
                               std::to_string(stream.length) + " bytes");
    return 0;
  }
  const bool cached = file_cached_;
  const std::string path = file_path_;
  CloseFile();
  if (!cached) {
    // No room in the cache: the file still serves this once.
    if (!uncached_path_.empty() && !pins_.IsPinned(uncached_path_)) DeleteFile(uncached_path_);
    uncached_path_ = path;
    uncached_url_ = stream.url;
  }
  Complete(stream.url, path);
  return 0;
}

void StreamIntake::FailStream(const std::string& url, const std::string& reason) {
  const std::string path = file_path_;
  const bool cached = file_cached_;
  CloseFile();
  if (cached) {
    cache_.Drop(url);
  } else if (!path.empty()) {
    DeleteFile(path);
  }
  // The request that waited for this file gives way to the next one.
  if (!queue_.empty() && SameUrl(queue_.Head().url, url)) PopQueue();
  if (current_is_stack_ && stack_failure_) stack_failure_(url, reason);
}

void StreamIntake::UrlFailed(const std::string& url) {
  if (!queue_.empty() && SameUrl(queue_.Head().url, url)) PopQueue();
}

// ---- completion, hand-over and delivery ----

void StreamIntake::Complete(const std::string& url, const std::string& file) {
  if (!file.empty()) cache_.MarkComplete(file);
  if (!target_.HasWindow()) {
    // The stack is delivered once the player has a window to show it in.
    if (current_is_stack_) {
      stack_waiting_ = true;
      waiting_url_ = url;
    }
    return;
  }
  const std::string path = HandOver(url);
  if (!path.empty()) {
    Deliver(url, path);
    target_.Repaint();
  }
}

std::string StreamIntake::HandOver(const std::string& url) {
  std::string path = cache_.HandOver(url);
  if (path.empty() && !uncached_path_.empty() && SameUrl(url, current_url_)) path = uncached_path_;
  if (path.empty() || !target_.PutInSlot(target_slot_, path)) return "";
  return path;
}

void StreamIntake::WindowArrived() {
  if (!stack_waiting_) return;
  stack_waiting_ = false;
  const std::string url = waiting_url_;
  waiting_url_.clear();
  current_is_stack_ = true;
  const std::string path = HandOver(url);
  if (!path.empty()) Deliver(url, path);
}

void StreamIntake::Deliver(const std::string& url, const std::string& path) {
  if (current_is_stack_) {
    pending_ = {};
    if (!target_.OpenDownloadedStack(path, url)) ForgetCachedFile(path);
    return;
  }
  if (queue_.empty() || !SameUrl(queue_.Head().url, url)) return;
  ActOnHead(queue_.Head(), path);
  pending_ = {};
  PopQueue();
}

void StreamIntake::ActOnHead(const UrlRequest& head, const std::string& path) {
  const RequestParameters& p = head.parameters;
  switch (p.kind) {
    case RequestKind::kButton:
      return target_.RerunButton(p.button_id, p.button_action);
    case RequestKind::kActionBlock:
      return target_.RunActionBlock(p.block, p.name);
    case RequestKind::kLoadObject:
      return target_.LoadIntoObject(p.object, path);
    case RequestKind::kNone:
      return;
  }
}

void StreamIntake::ForgetCachedFile(const std::string& path) {
  if (path == uncached_path_) {
    DeleteFile(path);
    uncached_path_.clear();
    return;
  }
  cache_.Forget(path);
}

// ---- requests ----

void StreamIntake::Ask(const std::string& url, int slot) {
  target_slot_ = slot;
  current_url_ = url;
  requester_.GetUrl(url);
}

void StreamIntake::PopQueue() {
  queue_.Pop();
  if (queue_.empty()) return;
  const UrlRequest head = queue_.Head();
  Ask(head.url, head.slot);
}

void StreamIntake::SetButtonRequest(uint16_t button_id, uint32_t action) {
  pending_ = {};
  pending_.kind = RequestKind::kButton;
  pending_.button_id = button_id;
  pending_.button_action = action;
}

void StreamIntake::SetActionRequest(uint16_t block, std::string name) {
  pending_ = {};
  pending_.kind = RequestKind::kActionBlock;
  pending_.block = block;
  pending_.name = std::move(name);
}

void StreamIntake::SetWaitingObject(uint32_t object) {
  pending_.object = object;
}

std::string StreamIntake::FileHere(std::string_view slot_path, int target_slot) {
  const std::string url = UrlBeside(base_url_, NamePart(slot_path));
  if (url.empty()) return "";
  std::string path = cache_.HandOver(url);
  // A file the cache had no room for still serves the objects that asked for it.
  if (path.empty() && SameUrl(url, uncached_url_) && FileExists(uncached_path_))
    path = uncached_path_;
  if (path.empty() || !target_.PutInSlot(target_slot, path)) return "";
  return path;
}

bool StreamIntake::AskForStack(const std::string& url) {
  if (!IsFetchableUrl(url) || !IsStackUrl(url)) return false;
  Abandon();
  queue_.Clear();
  pending_ = {};
  Ask(url, kFirstSlot);
  return true;
}

bool StreamIntake::Awaits(const std::string& url) const {
  for (int i = 0; i < queue_.count(); ++i) {
    if (SameUrl(queue_.At(i).url, url)) return true;
  }
  return false;
}

bool StreamIntake::AlreadyQueued(const UrlRequest& request) const {
  for (int i = 0; i < queue_.count(); ++i) {
    const UrlRequest queued = queue_.At(i);
    const RequestParameters &a = queued.parameters, &b = request.parameters;
    if (SameUrl(queued.url, request.url) && queued.slot == request.slot && a.kind == b.kind &&
        a.object == b.object && a.button_id == b.button_id && a.block == b.block &&
        a.name == b.name)
      return true;
  }
  return false;
}

int StreamIntake::RequestFile(std::string_view slot_path, int target_slot) {
  const std::string url = UrlBeside(base_url_, NamePart(slot_path));
  if (url.empty() || !IsFetchableUrl(url)) return -1;
  // A stack from the web never reaches local files.
  if (IsFileUrl(url) && !IsFileUrl(base_url_)) return -1;
  const bool waiting_object = pending_.object != 0;
  if (!waiting_object) {
    const std::string path = cache_.HandOver(url);
    if (!path.empty() && target_.PutInSlot(target_slot, path)) return 1;
  }
  if (!IsStackUrl(url)) {
    UrlRequest request;
    request.url = url;
    request.parameters = pending_;
    if (waiting_object) request.parameters.kind = RequestKind::kLoadObject;
    request.slot = uint16_t(target_slot);
    // A card drawn again while its picture is on the way asks only once.
    if (AlreadyQueued(request)) {
      pending_ = {};
      return 0;
    }
    if (!queue_.Append(request)) return -1;
  } else {
    // A stack replaces everything asked for before it, the stream under way too.
    Abandon();
    queue_.Clear();
  }
  pending_ = {};
  if (queue_.count() > 1) return 0;  // it waits its turn
  Ask(url, target_slot);
  return 0;
}

}  // namespace corvida::plugin
