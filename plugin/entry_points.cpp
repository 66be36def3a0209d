// The exported entry points and the plug-in functions. Browsers load a plug-in once per
// process and call it through plain functions, so what the whole library shares (the
// browser's table, the host, the download cache) lives in one object here; everything of
// a page lives in its instance, which runs a player of its own.
#include <new>

#include "platform/files.h"
#include "plugin/instance.h"
#include "plugin/npapi.h"
#include "plugin/plugin_host.h"

namespace corvida::plugin {
namespace {

constexpr int32_t kAnyAmount = 0x0FFFFFFF;

struct PluginLibrary {
  NPNetscapeFuncs* browser = nullptr;
  PluginHost* host = nullptr;
  // Loaded at the first instance, written back at NP_Shutdown.
  std::unique_ptr<DownloadCache> cache;
};

PluginLibrary& Library() {
  static PluginLibrary library;
  return library;
}

// The instance record the browser keeps for us (allocated with its memory service).
struct PluginInstance {
  void* window;
  uint16_t mode;
  InstancePlayer* player;
};

PluginInstance* RecordOf(NPP instance) {
  return static_cast<PluginInstance*>(instance->pdata);
}

DownloadCache& Cache() {
  PluginLibrary& library = Library();
  if (!library.cache) {
    library.cache =
        std::make_unique<DownloadCache>(library.host ? library.host->CacheFolder() : "");
    library.cache->LoadIndex();
  }
  return *library.cache;
}

StreamInfo InfoOf(const NPStream& stream, const char* type) {
  return {stream.url, stream.end, stream.lastmodified, type ? type : ""};
}

}  // namespace

void SetPluginHost(PluginHost* host) {
  Library().host = host;
}

InstancePlayer* InstanceOf(NPP instance) {
  if (!instance || !RecordOf(instance)) return nullptr;
  return RecordOf(instance)->player;
}

std::string DesktopCacheFolder() {
  const std::string folder = UserCacheFolder();
  if (folder.empty() || !CreateDirectories(PathFolder(folder)) || !EnsurePrivateFolder(folder))
    return "";
  return CanonicalPath(folder);
}

}  // namespace corvida::plugin

using corvida::plugin::InfoOf;
using corvida::plugin::InstancePlayer;
using corvida::plugin::Library;
using corvida::plugin::PluginInstance;
using corvida::plugin::RecordOf;

extern "C" {

NPError NP_GetEntryPoints(NPPluginFuncs* funcs) {
  if (!funcs || funcs->size < kPluginFuncsMinSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  funcs->version = kPluginTableVersion;
  funcs->newp = NPP_New;
  funcs->destroy = NPP_Destroy;
  funcs->setwindow = NPP_SetWindow;
  funcs->newstream = NPP_NewStream;
  funcs->destroystream = NPP_DestroyStream;
  funcs->asfile = NPP_StreamAsFile;
  funcs->writeready = NPP_WriteReady;
  funcs->write = NPP_Write;
  funcs->print = NPP_Print;
  funcs->event = nullptr;
  return NPERR_NO_ERROR;
}

NPError NP_Initialize(NPNetscapeFuncs* browser) {
  if (!browser) return NPERR_INVALID_FUNCTABLE_ERROR;
  Library().browser = browser;
  if ((browser->version >> 8) > kBrowserMajorVersion) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  if (browser->size < kBrowserFuncsMinSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  return NPERR_NO_ERROR;
}

NPError NP_Shutdown() {
  auto& library = Library();
  if (library.cache) library.cache->SaveIndex();
  library.cache.reset();
  library.browser = nullptr;
  return NPERR_NO_ERROR;
}

NPError NPP_New(NPMIMEType, NPP instance, uint16_t mode, int16_t, char*[], char*[], NPSavedData*) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  auto& library = Library();
  NPNetscapeFuncs* browser = library.browser;
  void* memory = browser && browser->memalloc ? browser->memalloc(sizeof(PluginInstance)) : nullptr;
  corvida::plugin::DownloadCache& cache = corvida::plugin::Cache();
  if (!memory) return NPERR_OUT_OF_MEMORY_ERROR;
  corvida::Platform* platform = library.host ? &library.host->platform() : nullptr;
  corvida::PlayerLog* log = library.host ? library.host->log() : nullptr;
  auto* player = new (std::nothrow) InstancePlayer(instance, browser, cache, platform, log);
  if (!player) {
    if (browser->memfree) browser->memfree(memory);
    return NPERR_OUT_OF_MEMORY_ERROR;
  }
  instance->pdata = new (memory) PluginInstance{nullptr, mode, player};
  return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP instance, NPSavedData**) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* record = RecordOf(instance);
  if (!record) return NPERR_NO_ERROR;
  // Only what this instance set up goes: its player and its streams.
  delete record->player;
  record->window = nullptr;
  NPNetscapeFuncs* browser = Library().browser;
  if (browser && browser->memfree) browser->memfree(record);
  instance->pdata = nullptr;
  return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow* window) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* record = RecordOf(instance);
  if (!window || !record) return NPERR_GENERIC_ERROR;
  // Later calls (a new size, another window) leave the player where it is.
  if (!window->window || record->window) return NPERR_NO_ERROR;
  record->window = window->window;
  const auto id = corvida::WindowId(reinterpret_cast<uintptr_t>(window->window));
  if (record->player->Start(id)) record->player->streams().WindowArrived();
  return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool, uint16_t*) {
  if (!instance || !RecordOf(instance)) return NPERR_INVALID_INSTANCE_ERROR;
  if (!stream || !stream->url) return NPERR_GENERIC_ERROR;
  return NPError(RecordOf(instance)->player->streams().NewStream(InfoOf(*stream, type)));
}

int32_t NPP_WriteReady(NPP, NPStream*) {
  return corvida::plugin::kAnyAmount;
}

int32_t NPP_Write(NPP instance, NPStream* stream, int32_t, int32_t len, void* buffer) {
  // A stream nobody can take is ended rather than fed on.
  if (!instance || !RecordOf(instance) || !stream || !stream->url || len < 0 ||
      (len > 0 && !buffer))
    return -1;
  const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(buffer), size_t(len));
  return RecordOf(instance)->player->streams().Write(InfoOf(*stream, nullptr), bytes);
}

NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason) {
  if (!instance || !RecordOf(instance)) return NPERR_INVALID_INSTANCE_ERROR;
  if (!stream || !stream->url) return NPERR_NO_ERROR;
  // A stream broken off is never taken as complete, whatever was written of it.
  return NPError(RecordOf(instance)->player->streams().DestroyStream(InfoOf(*stream, nullptr),
                                                                     reason != NPRES_DONE));
}

void NPP_StreamAsFile(NPP, NPStream*, const char*) {}

void NPP_Print(NPP instance, NPPrint* print) {
  if (!instance || !print) return;
  // A full page is printed by the browser; an embedded stack prints nothing.
  if (print->mode == NP_FULL) print->print.fullPrint.pluginPrinted = false;
}

}  // extern "C"
