// What the program that loads the plug-in gives it besides the browser table: the
// platform its players run on, where the download cache lives, and where players log.
#pragma once

#include <string>

#include "platform/platform.h"
#include "plugin/npapi.h"

namespace corvida {
class PlayerLog;
}

namespace corvida::plugin {

class PluginHost {
 public:
  virtual ~PluginHost() = default;
  virtual Platform& platform() = 0;
  // The private cache folder (made with mode 0700 when missing); "" keeps nothing.
  virtual std::string CacheFolder() = 0;
  // Where each instance's player writes its log lines; null: nowhere.
  virtual PlayerLog* log() { return nullptr; }
};

// Set before NP_Initialize; the host outlives the plug-in's use. Without a host no player
// starts (streams are still written to the cache).
void SetPluginHost(PluginHost* host);

class InstancePlayer;
// The instance's player once NPP_New made it (null for an unknown instance). A host that
// runs the window's message loop itself, as the browser build's page does, reaches the
// player window through it.
InstancePlayer* InstanceOf(NPP instance);

// The per-user cache folder of a desktop host: $XDG_CACHE_HOME/corvida, else
// ~/.cache/corvida, made private (mode 0700); "" when it cannot be.
std::string DesktopCacheFolder();

}  // namespace corvida::plugin
