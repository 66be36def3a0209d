// One plug-in instance: its own player (started when the instance gets its window), its
// streams and requests, and the browser it asks for files.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "player/player.h"
#include "player/player_window.h"
#include "plugin/npapi.h"
#include "plugin/streams.h"

namespace corvida::plugin {

// A host whose browser hands stream pieces over only when the player's loop asks for them
// (the browser build: the page queues them for the player's one loop). With one, a file
// asked for beside the stack is waited for, so its first use finds it.
class StreamPump {
 public:
  virtual ~StreamPump() = default;
  // Hands the plug-in the stream pieces that arrived; false when the next one starts a
  // stack, which is left for the outer loop (a wait for a file then ends).
  virtual bool PumpStreams() = 0;
};

// How a wait for a file asked for beside the stack ended.
enum class FileWaitEnd { kArrived, kFailed, kCancelled, kTimedOut, kStackComing, kClosing };

class InstancePlayer : public DownloadTarget,
                       public UrlRequester,
                       public PinnedFiles,
                       public FileRequests {
 public:
  InstancePlayer(NPP instance, const NPNetscapeFuncs* browser, DownloadCache& cache,
                 Platform* platform, PlayerLog* log);
  ~InstancePlayer() override;

  StreamIntake& streams() { return intake_; }
  // Starts this instance's player in the window; false without a platform.
  bool Start(WindowId window);
  // Stops the player: media, the stack, the window's timers.
  void Stop();
  Player* player() { return player_.get(); }
  PlayerWindow* window() { return window_.get(); }
  // Files asked for beside the stack are waited for, their pieces taken from `pump`
  // (null: they arrive later and the step that asked goes on without them).
  void set_stream_pump(StreamPump* pump) { pump_ = pump; }
  // The longest wait for one file; Escape or a click ends it sooner.
  static constexpr uint32_t kFileWaitLimitMs = 30000;
  // How often the wait looks for stream pieces, and when it starts showing its bar.
  static constexpr uint32_t kFileWaitPassMs = 15;
  static constexpr uint32_t kFileWaitBarAfterMs = 250;

  // DownloadTarget
  bool HasWindow() const override { return window_ && window_->window() != 0; }
  bool PutInSlot(int slot, const std::string& path) override;
  bool OpenDownloadedStack(const std::string& path, const std::string& url) override;
  void RerunButton(uint16_t button_id, uint32_t action) override;
  void RunActionBlock(uint16_t block, const std::string& name) override;
  void LoadIntoObject(uint32_t object, const std::string& path) override;
  void Repaint() override;
  // UrlRequester: NPN_GetURL for this instance, into no target window.
  void GetUrl(const std::string& url) override;
  // PinnedFiles: a file slot of the player names the file.
  bool IsPinned(const std::string& host_path) const override;
  // FileRequests: a file the stack names, asked for beside the stack's URL.
  std::string RequestFile(const std::string& stored, int slot) override;
  bool AskForStackAgain(const std::string& host_path) override;
  // MissingFiles: a picture or text of the shown card, loaded into its object on arrival.
  std::string AskFor(const std::string& stored, uint16_t object_type, uint16_t object_id) override;

 private:
  // Waits for the request for `url` to arrive or fail, in a nested loop through the
  // platform's wait.
  FileWaitEnd AwaitFile(const std::string& url);

  NPP instance_;
  const NPNetscapeFuncs* browser_;
  Platform* platform_;
  PlayerLog* log_;
  StreamPump* pump_ = nullptr;
  StreamIntake intake_;
  std::unique_ptr<Player> player_;
  std::unique_ptr<PlayerWindow> window_;
  // The URL each stack this instance opened came from, by its cache file.
  std::map<std::string, std::string> stack_urls_;
  // Stacks asked for again by URL, and the card each was wanted at.
  std::map<std::string, uint16_t> awaited_cards_;
};

}  // namespace corvida::plugin
