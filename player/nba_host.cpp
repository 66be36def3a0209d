#include "player/nba_host.h"

#include <algorithm>
#include <map>

#include "base/callback_tokens.h"
#include "platform/files.h"
#include "platform/text.h"
#include "player/player_window.h"
#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "stackfile/resources.h"

namespace corvida {
namespace {

// Hosts by entry value: a module's call back names its player by the value the block
// carries at the entry offset. Values are unique in the process, so two players never
// share one.
std::map<uint32_t, NbaHost*>& Hosts() {
  static std::map<uint32_t, NbaHost*> hosts;
  return hosts;
}
uint32_t NextEntry() {
  static uint32_t next = 0x4E420000;
  return ++next;
}

std::vector<std::string> FoldersNamed(const Folders& folders, const char* name) {
  std::vector<std::string> out;
  for (const std::string& base : {folders.data, folders.program}) {
    if (!base.empty()) out.push_back(JoinPath(base, name));
  }
  return out;
}

std::string ModuleFileOf(std::span<const uint8_t> descriptor) {
  Bytes b{const_cast<uint8_t*>(descriptor.data()), descriptor.size()};
  return TerminatedText(b, nba::kModuleName, nba::kModuleNameField);
}

// What the About message shows: the descriptor's flags, display name and about text.
struct AboutText {
  uint16_t flags = 0;
  std::string name;
  std::string text;
};
AboutText AboutOf(std::span<const uint8_t> descriptor) {
  AboutText about;
  if (descriptor.size() <= nba::kAboutText) return about;
  Bytes b{const_cast<uint8_t*>(descriptor.data()), descriptor.size()};
  about.flags = GetBE16(descriptor.data() + nba::kAboutFlags);
  about.name = TerminatedText(b, nba::kDisplayName, nba::kDisplayNameField);
  about.text = TerminatedText(b, nba::kAboutText, descriptor.size() - nba::kAboutText);
  return about;
}

uint32_t KeptValue(std::span<const uint8_t> d) {
  return d.size() >= nba::kKeptValue + 4 ? GetBE32(d.data() + nba::kKeptValue) : 0;
}

// A descriptor in the stored layout of an 'NBAs' block, from a module's description.
std::vector<uint8_t> DescriptorFrom(const NbaModuleInfo& info, const std::string& file) {
  std::vector<uint8_t> d(nba::kAboutText + info.about.size() + 1, 0);
  PutBE16(d.data() + nba::kAboutFlags, info.about_flags);
  PutBE16(d.data() + nba::kNbaId, info.nba_id);
  const std::string shown = info.display_name.substr(0, nba::kDisplayNameField - 1);
  std::copy(shown.begin(), shown.end(), d.begin() + nba::kDisplayName);
  const std::string name = file.substr(0, nba::kModuleNameField - 1);
  std::copy(name.begin(), name.end(), d.begin() + nba::kModuleName);
  std::copy(info.about.begin(), info.about.end(), d.begin() + nba::kAboutText);
  return d;
}

}  // namespace

NbaHost::NbaHost(Player& player, PlayerWindow& window)
    : player_(player),
      window_(window),
      modules_(FoldersNamed(player.platform.folders(), "NBAs"),
               FoldersNamed(player.platform.folders(), "Extras")),
      entry_(NextEntry()) {
  Hosts()[entry_] = this;
  player_.nbas.closed = false;
}

NbaHost::~NbaHost() {
  Hosts().erase(entry_);
}

// ---- one call ----

NbaHost::Result NbaHost::Call(uint16_t nba_id, int16_t message, CallbackBlock block) {
  NbaState& s = player_.nbas;
  const uint32_t epoch = s.stack_epoch;
  std::string file;
  const bool from_stack = player_.stack.resources().Get(restype::kNBAs, nba_id) != 0;
  if (from_stack) {
    LockedHandle locked(player_.handles, player_.stack.resources().Get(restype::kNBAs, nba_id));
    file = ModuleFileOf({locked.data(), locked.size()});
  } else if (std::vector<uint8_t>* d = RegistryDescriptor(nba_id)) {
    file = ModuleFileOf(*d);
  }
  if (nba_id == 0 || file.empty()) return {};
  std::unique_ptr<NbaModule> own;
  NbaModule* module = ModuleFor(nba_id, file, message, own);
  if (!module) return {};
  const bool keeps_value = message != nbamsg::kName;
  uint32_t persistent = PersistentOf(nba_id);
  Result r = CallModule(*module, nba_id, message, block, keeps_value ? &persistent : nullptr);
  if (message == nbamsg::kAbout && epoch == s.stack_epoch) ShowAbout(nba_id);
  if (keeps_value && (!from_stack || epoch == s.stack_epoch)) {
    if (from_stack) {
      StorePersistent(nba_id, persistent, epoch);
    } else if (auto it = s.registry.find(nba_id); it != s.registry.end()) {
      if (it->second.size() >= nba::kKeptValue + 4)
        PutBE32(it->second.data() + nba::kKeptValue, persistent);
    }
  }
  return r;
}

NbaHost::Result NbaHost::CallModule(NbaModule& module, uint16_t nba_id, int16_t message,
                                    CallbackBlock block, uint32_t* persistent) {
  Prepare(block, nba_id, message);
  if (persistent) block.Set32(cbblock::kPersistent, *persistent);
  std::vector<uint16_t>& in_call = player_.nbas.in_call;
  in_call.push_back(nba_id);
  Result r;
  r.answer = module.Main(block.bytes().data());
  in_call.pop_back();
  r.called = true;
  r.block = block;
  if (persistent) *persistent = block.Get32(cbblock::kPersistent);
  if (message != nbamsg::kIdle && message != nbamsg::kWindow && message != nbamsg::kBusy)
    Log(nba_id, message);
  return r;
}

void NbaHost::Prepare(CallbackBlock& block, uint16_t nba_id, int16_t message) {
  CallbackTokens& tokens = window_.callbacks().dispatch().tokens();
  Navigation& nav = window_.navigation();
  block.Set16(cbblock::kTargetCardId, nav.target_id());
  const Handle card = nav.current_card();
  block.Set32(cbblock::kCurrentCard, card ? tokens.Mint(TokenKind::kCard, uint32_t(card)) : 0);
  block.Set32(cbblock::kModule, tokens.Mint(TokenKind::kModule, nba_id));
  block.Set32(cbblock::kDispatchEntry, entry_);
  const WindowId window = window_.window();
  block.Set32(cbblock::kWindow, window ? tokens.Mint(TokenKind::kWindow, uint32_t(window)) : 0);
  block.Set32(cbblock::kSetupState, 0);
  block.Set16(cbblock::kVersion, cbblock::kVersionNumber);
  block.set_command(message);
  block.set_param(6, nba_id);
}

NbaModule* NbaHost::ModuleFor(uint16_t nba_id, const std::string& file, int16_t message,
                              std::unique_ptr<NbaModule>& own) {
  // The about box and an Extra's name need the module once only.
  const bool once = message == nbamsg::kAbout || message == nbamsg::kName;
  auto& cache = player_.nbas.cache;
  if (!once) {
    for (NbaCacheSlot& slot : cache) {
      if (slot.nba_id == nba_id && slot.module) return slot.module.get();
    }
  }
  std::set<std::string>& unloadable = player_.nbas.unloadable;
  if (unloadable.count(file)) return nullptr;
  own = modules_.Load(file, NbaFolder::kNbas).module;
  if (!own) unloadable.insert(file);
  if (!own || once) return own.get();
  for (NbaCacheSlot& slot : cache) {
    if (slot.nba_id == 0) {
      slot.nba_id = nba_id;
      slot.module = std::move(own);
      return slot.module.get();
    }
  }
  // Every slot is taken: the module runs for this call only.
  return own.get();
}

// ---- descriptors and persistent values ----

void NbaHost::ShowAbout(uint16_t nba_id) {
  AboutText about;
  if (Handle h = player_.stack.resources().Get(restype::kNBAs, nba_id)) {
    LockedHandle locked(player_.handles, h);
    about = AboutOf({locked.data(), locked.size()});
  } else if (auto it = player_.nbas.registry.find(nba_id); it != player_.nbas.registry.end()) {
    about = AboutOf(it->second);
  }
  // A module with a box of its own has shown it during the call.
  if ((about.flags & NBA_ABOUT_OWN_BOX) || about.text.empty()) return;
  player_.platform.alerts().ShowMessageBox("About " + about.name, about.text, AlertIcon::kNone);
}

std::vector<uint8_t>* NbaHost::RegistryDescriptor(uint16_t nba_id) {
  NbaState& s = player_.nbas;
  if (auto it = s.registry.find(nba_id); it != s.registry.end()) return &it->second;
  if (s.undescribable.count(nba_id)) return nullptr;
  const std::optional<std::string> name = ModuleNameOf(nba_id);
  if (!name) return nullptr;
  NbaLoad load = modules_.Load(*name, NbaFolder::kNbas);
  std::optional<NbaModuleInfo> info;
  if (load.module) info = load.module->Info();
  if (!info) {
    // A file that is there but is no module is told once; a missing one is not.
    if (load.failure != NbaLoadFailure::kMissing) {
      s.undescribable.insert(nba_id);
      player_.alerts.Alert(strid::kNoNbasInFile);
    }
    return nullptr;
  }
  return &(s.registry[nba_id] = DescriptorFrom(*info, *name));
}

std::optional<std::string> NbaHost::ModuleNameOf(uint16_t nba_id) {
  // The player carries no module names of its own: the preferences name them.
  const std::string value = player_.prefs.ReadPref("NBAIDs", std::to_string(nba_id));
  if (value == Prefs::kMissing || value.empty()) return std::nullopt;
  return value;
}

namespace {
bool MayBeSaved(Stack& stack) {
  const ResourceFile* area = stack.resources().current();
  return area && area->write_last_id;
}
}  // namespace

uint32_t NbaHost::PersistentOf(uint16_t nba_id) {
  NbaState& s = player_.nbas;
  if (Handle h = player_.stack.resources().Get(restype::kNBAs, nba_id)) {
    if (!MayBeSaved(player_.stack)) {
      if (auto it = s.session_values.find(nba_id); it != s.session_values.end()) return it->second;
    }
    LockedHandle locked(player_.handles, h);
    return KeptValue({locked.data(), locked.size()});
  }
  auto it = s.registry.find(nba_id);
  return it == s.registry.end() ? 0 : KeptValue(it->second);
}

void NbaHost::StorePersistent(uint16_t nba_id, uint32_t value, uint32_t epoch) {
  if (epoch != player_.nbas.stack_epoch) return;  // its stack closed during the call
  Handle h = player_.stack.resources().Get(restype::kNBAs, nba_id);
  if (!h) return;
  if (!MayBeSaved(player_.stack)) {
    player_.nbas.session_values[nba_id] = value;
    return;
  }
  LockedHandle locked(player_.handles, h);
  if (locked.size() >= nba::kKeptValue + 4) PutBE32(locked.data() + nba::kKeptValue, value);
}

// ---- the player's events ----

bool NbaHost::RunFromAction(const NbaRequest& request) {
  CallbackDispatch& d = window_.callbacks().dispatch();
  const uint32_t data = d.NewBlock(request.data);
  CallbackBlock block;
  block.set_param(1, data);
  block.set_param(2, uint32_t(request.data.size()));
  block.Set16(cbblock::kActionId, request.record_id);
  const bool called = Call(request.nba_id, nbamsg::kRun, block).called;
  d.DisposeBlock(data);
  return called;
}

void NbaHost::RunFromCallback(CallbackBlock& block) {
  CallbackDispatch& d = window_.callbacks().dispatch();
  uint16_t nba_id = uint16_t(block.param(1));
  if (nba_id == 0) {
    if (std::optional<std::string> name = d.StringAt(block.param(3))) nba_id = IdNamed(*name);
  }
  const uint32_t data = block.param(2);
  const size_t size = data ? d.ReadBlock(data, CallbackDispatch::kCallerBytesLimit).size() : 0;
  CallbackBlock passed;
  passed.set_param(1, data);
  passed.set_param(2, uint32_t(size));
  Result r = Call(nba_id, int16_t(block.param(4)), passed);
  if (r.called) block = r.block;
  if (const uint32_t left = r.called ? r.block.param(7) : 0) {
    if (left != data) d.DisposeBlock(data);
    block.set_param(2, left);
  } else if (d.ResizeBlock(data, 0)) {
    // The caller's data goes back emptied, under the token the caller holds.
    block.set_param(2, data);
  } else {
    // A block of the player's is not the caller's to empty: a new empty one of its own.
    const bool had_data = d.tokens().Resolve(data, TokenKind::kMemory).has_value();
    block.set_param(2, had_data ? d.NewBlock({}) : 0);
  }
}

void NbaHost::Broadcast(int16_t message) {
  if (in_call() || player_.nbas.closed) return;
  const uint32_t epoch = player_.nbas.stack_epoch;
  for (uint16_t nba_id : StackIds()) {
    if (epoch != player_.nbas.stack_epoch) return;  // a module closed the stack
    Call(nba_id, message);
  }
}

bool NbaHost::WindowMessage(const Message& m) {
  if (player_.nbas.closed) return false;
  switch (m.message) {
    case msg::kKeyDown:
    case msg::kChar:
    case msg::kCommand:
    case msg::kTimer:
    case msg::kMouseMove:
    case msg::kLButtonDown:
    case msg::kLButtonUp:
      break;
    default:
      return false;
  }
  // The player window is active unless another window (a dialog) has the focus.
  const WindowId window = window_.window();
  const WindowId focus = player_.platform.windows().Focus();
  if (!window || m.window != window || (focus != 0 && focus != window)) return false;
  if (!window_.view().options().browse_mode) return false;
  if (m.message == msg::kTimer) {
    const uint32_t now = player_.platform.clock().Milliseconds();
    std::optional<uint32_t>& last = player_.nbas.last_timer_ms;
    if (last && now - *last < kTimerThrottleMs) return false;
    last = now;
  }
  CallbackBlock block;
  block.set_param(1, dispatch().tokens().Mint(TokenKind::kWindow, uint32_t(window)));
  block.set_param(2, m.message);
  block.set_param(3, uint32_t(m.wParam & 0xFFFF));
  block.set_param(4, uint32_t(m.lParam));
  uint16_t taker = 0;
  const bool consumed = AskEach(nbamsg::kWindow, block, [&](uint16_t id, const Result& r) {
    if (r.block.param(5) == 0) return false;
    taker = id;
    return true;
  });
  if (consumed) Log(taker, nbamsg::kWindow, "consumed");
  return consumed;
}

bool NbaHost::Busy() {
  if (in_call() || player_.nbas.closed) return false;
  return AskEach(nbamsg::kBusy, {},
                 [](uint16_t, const Result& r) { return r.block.param(1) == kBusyAnswer; });
}

template <typename Done>
bool NbaHost::AskEach(int16_t message, const CallbackBlock& block, Done done) {
  const std::vector<uint16_t> stack_ids = StackIds();
  std::vector<uint16_t> ids = stack_ids;
  for (const auto& [id, descriptor] : player_.nbas.registry) {
    if (std::find(stack_ids.begin(), stack_ids.end(), id) == stack_ids.end()) ids.push_back(id);
  }
  const uint32_t epoch = player_.nbas.stack_epoch;
  for (uint16_t id : ids) {
    if (epoch != player_.nbas.stack_epoch) return false;
    Result r = Call(id, message, block);
    if (r.called && done(id, r)) return true;
  }
  return false;
}

void NbaHost::StackClosing(bool all) {
  NbaState& s = player_.nbas;
  const std::vector<uint16_t>& running = s.in_call;
  auto is_running = [&](uint16_t id) {
    return std::find(running.begin(), running.end(), id) != running.end();
  };
  // Only modules that were loaded have anything to let go of.
  for (NbaCacheSlot& slot : s.cache) {
    if (!slot.module || (!all && is_running(slot.nba_id))) continue;
    const uint16_t id = slot.nba_id;
    uint32_t persistent = PersistentOf(id);
    CallModule(*slot.module, id, nbamsg::kClose, {}, &persistent);
    StorePersistent(id, persistent, s.stack_epoch);
  }
  for (NbaExtra& extra : s.extras) {
    if (!extra.module) continue;
    CallModule(*extra.module, 0, nbamsg::kClose, {}, &extra.persistent);
    extra.module.reset();
  }
  // A running module's code stays loaded until its call returns.
  for (NbaCacheSlot& slot : s.cache) {
    if (slot.module && is_running(slot.nba_id)) continue;
    slot = {};
  }
  if (all) s.registry.clear();
  s.closed = all;
  s.session_values.clear();
  s.unloadable.clear();
  ++s.stack_epoch;
}

// ---- helpers ----

CallbackDispatch& NbaHost::dispatch() {
  return window_.callbacks().dispatch();
}

std::vector<uint16_t> NbaHost::StackIds() {
  std::vector<uint16_t> ids;
  Resources& resources = player_.stack.resources();
  const int count = resources.Count(restype::kNBAs);
  for (int i = 1; i <= count; ++i) {
    if (uint16_t id = resources.NthId(restype::kNBAs, i)) ids.push_back(id);
  }
  return ids;
}

uint16_t NbaHost::IdNamed(const std::string& name) {
  Resources& resources = player_.stack.resources();
  for (uint16_t id : StackIds()) {
    const ResourceEntry* e = resources.Find(restype::kNBAs, id);
    if (e && EqualsIgnoringCase(e->Name(), name)) return id;
    LockedHandle locked(player_.handles, resources.Get(restype::kNBAs, id));
    Bytes b{locked.data(), locked.size()};
    if (EqualsIgnoringCase(TerminatedText(b, nba::kDisplayName, nba::kDisplayNameField), name))
      return id;
  }
  return 0;
}

void NbaHost::Log(uint16_t nba_id, int16_t message, const char* what) {
  std::string line = "nba " + std::to_string(nba_id) + " message " + std::to_string(message);
  if (what) line += std::string(" ") + what;
  window_.Log(line);
}

NbaHost* NbaHost::OfBlock(const uint8_t* block) {
  if (block == nullptr) return nullptr;
  const uint32_t entry =
      ReadLE32(std::span<const uint8_t>(block, cbblock::kSize), cbblock::kDispatchEntry);
  auto it = Hosts().find(entry);
  return it == Hosts().end() ? nullptr : it->second;
}

int32_t NbaHost::ReadBlock(uint32_t token, uint32_t offset, uint8_t* out, uint32_t count) {
  if (!in_call()) return -1;
  const uint64_t end = uint64_t{offset} + count;
  const std::vector<uint8_t> bytes = dispatch().ReadBlock(token, size_t(end));
  if (bytes.size() < end) return -1;
  std::copy(bytes.begin() + offset, bytes.end(), out);
  return int32_t(count);
}

int32_t NbaHost::WriteBlock(uint32_t token, uint32_t offset, const uint8_t* bytes, uint32_t count) {
  if (!in_call()) return -1;
  if (!dispatch().WriteBlock(token, offset, {bytes, count})) return -1;
  return int32_t(count);
}

int32_t NbaHost::CallBack(uint8_t* block) {
  if (!in_call()) return -1;
  CallbackDispatch& d = window_.callbacks().dispatch();
  // The dispatcher's own block belongs to whoever called the module (a script's command
  // 67): it is put back afterwards.
  const CallbackBlock outer = d.block();
  std::copy(block, block + cbblock::kSize, d.block().bytes().begin());
  d.Dispatch();
  std::copy(d.block().bytes().begin(), d.block().bytes().end(), block);
  d.block() = outer;
  return 0;
}

}  // namespace corvida

extern "C" int32_t CorvidaCallback(unsigned char* block) {
  corvida::NbaHost* host = corvida::NbaHost::OfBlock(block);
  return host ? host->CallBack(block) : -1;
}

extern "C" int32_t CorvidaReadBlock(const unsigned char* block, uint32_t token, uint32_t offset,
                                    void* out, uint32_t count) {
  corvida::NbaHost* host = corvida::NbaHost::OfBlock(block);
  if (!host || (out == nullptr && count != 0)) return -1;
  return host->ReadBlock(token, offset, static_cast<uint8_t*>(out), count);
}

extern "C" int32_t CorvidaWriteBlock(const unsigned char* block, uint32_t token, uint32_t offset,
                                     const void* bytes, uint32_t count) {
  corvida::NbaHost* host = corvida::NbaHost::OfBlock(block);
  if (!host || (bytes == nullptr && count != 0)) return -1;
  return host->WriteBlock(token, offset, static_cast<const uint8_t*>(bytes), count);
}
