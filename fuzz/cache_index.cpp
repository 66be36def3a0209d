// The download cache's index "CORVIA.LOG" comes from the disk, where anything may have
// been written. Reading it must never fail badly, must keep only entries with their NULs
// and a path directly inside the cache folder, and must read back what it writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "plugin/download_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida::plugin;
  // A folder that does not exist: whatever the index names, nothing on the disk changes.
  DownloadCache cache("/nonexistent/corvida-fuzz-cache");
  cache.ReadIndex(std::span<const uint8_t>(data, size));
  if (cache.count() < 0 || cache.count() > kCacheEntryLimit) std::abort();
  for (int i = 0; i < cache.count(); ++i) {
    if (!cache.InsideFolder(cache.Path(i)) || cache.Url(i).empty()) std::abort();
    if (cache.Received(i) > cache.Expected(i) || cache.Ready(i) || cache.UseStamp(i) != 0)
      std::abort();
  }
  DownloadCache again(cache.folder());
  again.ReadIndex(cache.IndexBytes());
  if (again.IndexBytes() != cache.IndexBytes()) std::abort();
  // Lookups and hand-overs over what was read.
  NoPinnedFiles pins;
  for (int i = cache.count() - 1; i >= 0; --i) {
    const std::string url = cache.Url(i);
    cache.MarkComplete(cache.Path(i));
    cache.HandOver(url);
    cache.Lookup(url, cache.LastModified(i), cache.Expected(i));
  }
  cache.Add("http://h/a.stk", cache.folder() + "/stkx.stk", 1, 100, pins);
  return 0;
}
