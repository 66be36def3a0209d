// Stream intake for one instance: every stream the browser sends is written to a file of
// the download cache; a finished file is handed to a file slot and delivered (a stack is
// opened at its first card, any other file completes the request that asked for it).
// Files a stack asks for are requested one at a time, relative to the last stack's URL.
//
// Streams are taken one at a time through the current URL: data and ends of other
// streams are refused. Bytes count as written to the file, not as received; a stream
// that ends early or cannot be written leaves no entry and no file behind, and the next
// queued request still goes out.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "plugin/download_cache.h"
#include "plugin/request_queue.h"

namespace corvida::plugin {

// What the intake asks of the instance's player.
class DownloadTarget {
 public:
  virtual ~DownloadTarget() = default;
  virtual bool HasWindow() const = 0;
  // Puts a finished file's path into a file slot; false when it does not fit.
  virtual bool PutInSlot(int slot, const std::string& path) = 0;
  // A stack arrived: close the current one, open this one at its first card; false when
  // it cannot be opened (the alert is shown).
  virtual bool OpenDownloadedStack(const std::string& path, const std::string& url) = 0;
  // The three kinds of waiting requests, acted on when their file arrived.
  virtual void RerunButton(uint16_t button_id, uint32_t action) = 0;
  virtual void RunActionBlock(uint16_t block, const std::string& name) = 0;
  virtual void LoadIntoObject(uint32_t object, const std::string& path) = 0;
  virtual void Repaint() = 0;
};

// The browser's side: asks for a URL to be sent as a stream (NPN_GetURL).
class UrlRequester {
 public:
  virtual ~UrlRequester() = default;
  virtual void GetUrl(const std::string& url) = 0;
};

// What the browser says of a stream.
struct StreamInfo {
  std::string url;
  uint32_t length = 0;  // announced length; 0 unknown
  uint32_t last_modified = 0;
  std::string mime_type;
};

class StreamIntake {
 public:
  static constexpr int kFirstSlot = 1;
  // A stream never writes more than the cache may hold.
  static constexpr uint64_t kStreamByteLimit = kCacheByteLimit;

  StreamIntake(DownloadCache& cache, const PinnedFiles& pins, DownloadTarget& target,
               UrlRequester& requester);
  ~StreamIntake();

  // Told when the stack's own stream fails, with the reason in words, so a page that
  // shows the stack can say why instead of loading for ever.
  using StackFailure = std::function<void(const std::string& url, const std::string& reason)>;
  void set_stack_failure(StackFailure listener) { stack_failure_ = std::move(listener); }

  // NPP_NewStream: 0, or 1 when no file could be made for the stream.
  int NewStream(const StreamInfo& stream);
  // NPP_Write: the bytes taken, 0 for a stream that is not the current one, -1 to end
  // the stream (served from the cache, or failed).
  int32_t Write(const StreamInfo& stream, std::span<const uint8_t> bytes);
  // NPP_DestroyStream; a stream the browser broke off (`broken`: a network error, the user
  // stopped it) is a failed one, whatever its length.
  int DestroyStream(const StreamInfo& stream, bool broken = false);
  // The browser could not fetch `url` at all (no stream will come): a request waiting
  // for it gives way to the next one.
  void UrlFailed(const std::string& url);
  // The window arrived: a stack found in the cache before it is delivered now.
  void WindowArrived();
  // Closes the file being written (a new instance, the end of the instance), dropping
  // its unfinished entry.
  void Abandon();

  // A file a stack needs (its Windows-form path; the name part is looked for beside the
  // stack's URL): 1 when it is here and in the slot, 0 when it was asked for (or is asked
  // for already), -1 (a file error) when no URL can be made for it or the request queue
  // is full. The stream being received goes on unless a stack is asked for.
  int RequestFile(std::string_view slot_path, int target_slot);
  // The file beside the stack's URL when it is here already (complete), put into the
  // slot; "" otherwise. Asks for nothing.
  std::string FileHere(std::string_view slot_path, int target_slot);
  // Asks for a stack by its URL (one opened before whose file went): everything asked
  // for before it is dropped, as for any stack. False for a URL that is never fetched.
  bool AskForStack(const std::string& url);
  // The request the next RequestFile makes.
  void SetButtonRequest(uint16_t button_id, uint32_t action);
  void SetActionRequest(uint16_t block, std::string name);
  void SetWaitingObject(uint32_t object);
  // A downloaded stack that could not be opened: its entry and file go.
  void ForgetCachedFile(const std::string& path);

  const std::string& base_url() const { return base_url_; }
  const std::string& current_url() const { return current_url_; }
  bool stack_waiting() const { return stack_waiting_; }
  bool file_open() const { return file_.is_open(); }
  const RequestQueue& queue() const { return queue_; }
  int target_slot() const { return target_slot_; }
  // A request for `url` waits in the queue (it has neither arrived nor failed).
  bool Awaits(const std::string& url) const;
  // The stream being written: its bytes so far and its announced length (0 unknown).
  uint64_t written() const { return written_; }
  uint32_t announced_length() const { return announced_length_; }

 private:
  bool IsCurrent(const std::string& url);
  // The file's bytes are all here: it becomes ready, goes to the target slot and, when
  // the player can show it, is delivered.
  void Complete(const std::string& url, const std::string& file);
  std::string HandOver(const std::string& url);
  void Deliver(const std::string& url, const std::string& path);
  void ActOnHead(const UrlRequest& head, const std::string& path);
  // Drops the head request and asks for the next one.
  void PopQueue();
  // The stream failed: its file and entry go, and a request waiting for it gives way;
  // a stack's failure is told with `reason`.
  void FailStream(const std::string& url, const std::string& reason);
  void CloseFile();
  bool AlreadyQueued(const UrlRequest& request) const;
  void Ask(const std::string& url, int slot);

  DownloadCache& cache_;
  const PinnedFiles& pins_;
  DownloadTarget& target_;
  UrlRequester& requester_;
  File file_;
  std::string file_path_;      // the file being written
  bool file_cached_ = false;   // it has an entry (else it is deleted when done with)
  std::string uncached_path_;  // a finished file the cache had no room for
  std::string uncached_url_;   // and its URL
  uint64_t written_ = 0;
  uint32_t announced_length_ = 0;
  bool served_from_cache_ = false;
  bool no_file_ = false;  // the current stream's file could not be made: its bytes are dropped
  bool stack_waiting_ = false;
  std::string waiting_url_;  // the stack found in the cache before the window
  bool current_is_stack_ = false;
  StackFailure stack_failure_;
  std::string base_url_;
  std::string current_url_;
  int target_slot_ = kFirstSlot;
  RequestParameters pending_;
  RequestQueue queue_;
};

}  // namespace corvida::plugin
