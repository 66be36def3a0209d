// A native test host that drives the plug-in as a browser would: it fills the browser
// table, answers NPN_GetURL from a table of URLs and bytes, and sends the answers as
// streams from memory (new, writes in blocks, destroy) when the test pumps it.
#pragma once

#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "player/player_window.h"
#include "plugin/npapi.h"
#include "plugin/plugin_host.h"
#include "support/test_support.h"

namespace corvida::testing {

class BrowserHost : public plugin::PluginHost, public PlayerLog {
 public:
  struct Served {
    std::string bytes;
    uint32_t last_modified = 1;
    std::string mime_type;
  };

  BrowserHost() {
    current_ = this;
    CreateDirectory(cache_dir.File("cache"));
    browser.size = sizeof(NPNetscapeFuncs);
    browser.version = 0x0011;
    browser.geturl = [](NPP instance, const char* url, const char*) -> NPError {
      current_->asked.push_back(url);
      current_->pending.push_back({instance, url});
      return NPERR_NO_ERROR;
    };
    browser.memalloc = [](uint32_t size) -> void* {
      if (current_->fail_alloc) return nullptr;
      ++current_->allocations;
      return std::malloc(size);
    };
    browser.memfree = [](void* p) {
      --current_->allocations;
      std::free(p);
    };
    plugin::SetPluginHost(this);
    plugin_funcs.size = sizeof(NPPluginFuncs);
  }
  ~BrowserHost() override {
    plugin::SetPluginHost(nullptr);
    current_ = nullptr;
  }

  // PluginHost
  Platform& platform() override { return *tp.platform; }
  std::string CacheFolder() override { return cache_dir.File("cache"); }
  PlayerLog* log() override { return this; }
  // PlayerLog
  void Write(const std::string& line) override { lines.push_back(line); }

  bool Start() {
    return NP_GetEntryPoints(&plugin_funcs) == NPERR_NO_ERROR &&
           NP_Initialize(&browser) == NPERR_NO_ERROR;
  }

  // Sends `url` as a stream: the served bytes in blocks of `block`; the result of the
  // last write (-1 when the plug-in ended the stream).
  int32_t SendStream(NPP instance, const std::string& url, size_t block = 64) {
    const Served& served = pages.at(url);
    NPStream stream{
        nullptr, nullptr, url.c_str(), uint32_t(served.bytes.size()), served.last_modified,
        nullptr};
    std::string type = served.mime_type;
    uint16_t stype = NP_NORMAL;
    if (plugin_funcs.newstream(instance, type.empty() ? nullptr : type.data(), &stream, 0,
                               &stype) != NPERR_NO_ERROR)
      return -1;
    int32_t last = 0;
    std::string bytes = served.bytes;
    for (size_t at = 0; at < bytes.size(); at += block) {
      const int32_t n = int32_t(std::min(block, bytes.size() - at));
      last = plugin_funcs.write(instance, &stream, int32_t(at), n, bytes.data() + at);
      if (last < 0) break;
    }
    plugin_funcs.destroystream(instance, &stream, 0);
    return last;
  }

  // Answers every URL asked for so far (and those asked while answering).
  void AnswerRequests() {
    while (!pending.empty()) {
      const Pending p = pending.front();
      pending.pop_front();
      if (pages.count(p.url)) SendStream(p.instance, p.url);
    }
  }

  static void* WindowHandle(WindowId id) { return reinterpret_cast<void*>(uintptr_t(id)); }

  struct Pending {
    NPP instance;
    std::string url;
  };

  TestPlatform tp;
  TempDir cache_dir;
  NPNetscapeFuncs browser{};
  NPPluginFuncs plugin_funcs{};
  std::map<std::string, Served> pages;
  std::deque<Pending> pending;
  std::vector<std::string> asked;
  std::vector<std::string> lines;
  bool fail_alloc = false;
  int allocations = 0;

 private:
  static inline BrowserHost* current_ = nullptr;
};

}  // namespace corvida::testing
