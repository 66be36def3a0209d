// Browsers send streams in any order: new, write and destroy calls of several streams
// interleaved, files asked for in between. The intake must never fail badly, must keep
// the cache within its limits, and must never leave a complete entry that lacks bytes.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "plugin/streams.h"

namespace {

using namespace corvida;
using namespace corvida::plugin;

class Target : public DownloadTarget, public UrlRequester {
 public:
  bool HasWindow() const override { return window; }
  bool PutInSlot(int, const std::string&) override { return true; }
  bool OpenDownloadedStack(const std::string&, const std::string&) override { return opens; }
  void RerunButton(uint16_t, uint32_t) override {}
  void RunActionBlock(uint16_t, const std::string&) override {}
  void LoadIntoObject(uint32_t, const std::string&) override {}
  void Repaint() override {}
  void GetUrl(const std::string&) override {}
  bool window = true;
  bool opens = true;
};

const char* const kUrls[] = {"http://h/s/a.stk", "http://h/s/b.bmp", "HTTP://H/s/a.stk",
                             "http://h/s/c.txt", "http://h/s/d.STK?x=1"};
const char* const kSlotPaths[] = {"C:\\S\\b.bmp", "C:\\S\\c.txt", "C:\\S\\e.stk", "C:\\S\\..",
                                  "C:\\S\\a.stk"};

void EmptyFolder(const std::string& folder) {
  for (const DirectoryEntry& e : ListDirectory(folder)) DeleteFile(JoinPath(folder, e.name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    char dir[] = "/tmp/corvida-fuzz-streams-XXXXXX";
    return std::string(mkdtemp(dir));
  }();
  EmptyFolder(folder);
  DownloadCache cache(folder);
  NoPinnedFiles pins;
  Target target;
  {
    StreamIntake intake(cache, pins, target, target);
    for (size_t at = 0; at + 2 <= size; at += 2) {
      const uint8_t op = data[at], arg = data[at + 1];
      StreamInfo s{kUrls[arg % 5], uint32_t(arg / 5 % 8), uint32_t(arg / 40), ""};
      const uint8_t bytes[8] = {};
      switch (op % 8) {
        case 0:
          intake.NewStream(s);
          break;
        case 1:
        case 2:
          intake.Write(s, {bytes, size_t(op / 8 % 9)});
          break;
        case 3:
          // Some ends are breaks (a network error): never complete.
          intake.DestroyStream(s, op & 0x80);
          if (op & 0x40) intake.UrlFailed(s.url);
          break;
        case 4:
          if (op & 0x80) {
            intake.FileHere(kSlotPaths[arg % 5], arg % 20);
            break;
          }
          intake.SetWaitingObject(arg);
          intake.RequestFile(kSlotPaths[arg % 5], arg % 20);
          break;
        case 5:
          target.window = !target.window;
          intake.WindowArrived();
          break;
        case 6:
          intake.SetButtonRequest(arg, op);
          break;
        case 7:
          target.opens = !target.opens;
          intake.Abandon();
          break;
      }
      if (cache.count() > kCacheEntryLimit) std::abort();
      for (int i = 0; i < cache.count(); ++i) {
        if (cache.Complete(i) && cache.Received(i) != cache.Expected(i)) std::abort();
      }
    }
  }
  EmptyFolder(folder);
  return 0;
}
