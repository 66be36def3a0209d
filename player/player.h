// One player: everything a running player knows, reachable from this object, so that
// every test and every browser page can start a fresh one. Each subsystem keeps its state
// in a structure of its own, held here and passed by reference to the code that needs it;
// nothing lives in globals.
//
// Members are constructed in the player's start-up order and destroyed in the reverse:
// the memory messages and the handle table first, then the file slots, then the preferences (which
// need the configuration folder) and the alerts (which take the advanced-user flag from them).
// Later subsystems (the open stack and its cards, the interpreter, movies, NBAs, the
// download cache, the window) add their state here, after what they depend on.
#pragma once

#include <map>
#include <string>

#include "base/handles.h"
#include "base/prefs.h"
#include "engine/picture_cache.h"
#include "logo/card_port.h"
#include "logo/interp.h"
#include "platform/platform.h"
#include "player/memory_alerts.h"
#include "player/nba_state.h"
#include "player/workspace_store.h"
#include "stackfile/fileslots.h"
#include "stackfile/stack.h"
#include "ui/alerts.h"

namespace corvida {

struct Player {
  explicit Player(Platform& platform, PathMap paths = {});
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  Platform& platform;
  MemoryAlerts memory_alerts;  // what the handle table's failures show
  Handles handles;
  FileSlots files;
  Prefs prefs;
  // Pictures of graphics kept in files: one decoded picture per file, shared, within a
  // budget of pixel bytes.
  PictureCache pictures{platform.pictures()};
  Alerts alerts;
  // The Tarrow interpreter, made on first use (PlayerInterpreter), and what the open
  // stack's saved workspace was, to tell whether a save must store it again.
  std::unique_ptr<logo::Interpreter> logo;
  // Where its card primitives reach the player (the window's callbacks; null without one).
  logo::CardPort* card_port = nullptr;
  WorkspaceStore workspace;
  // The open stack (no stack until one opens). OpenStackWithAlerts opens it and asks its
  // questions, SaveStackWithAlerts saves it and reports what failed. Downloaded copies
  // are forgotten once the download cache exists. Its saved workspace runs when it opens
  // and is stored again when a save finds it changed.
  Stack stack{handles};
  // The site a downloaded stack came from (a folder name, see the plug-in's UrlOrigin);
  // "" for a stack on this machine. Its scripts keep their files in the site's folder.
  std::string stack_origin;
  // Extension modules: those loaded, the calls running, the Extras (NbaHost calls them).
  NbaState nbas;
  // Files the user pointed to when a stack's name for them led nowhere, by LocatorKey;
  // "" for those the user could not find (not asked again this session).
  std::map<std::string, std::string> located_files;

 private:
  // Hands the open stack's workspace between the stack and the interpreter.
  class WorkspaceSync : public StackWorkspaceListener {
   public:
    explicit WorkspaceSync(Player& player) : player_(player) {}
    void StackOpened() override;
    void StackSaving() override;

   private:
    Player& player_;
  };
  WorkspaceSync workspace_sync_{*this};
};

}  // namespace corvida
