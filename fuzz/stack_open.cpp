// Opens arbitrary bytes as a stack file, walks every card, object, entry and resource the
// way readers do, and saves and reopens what opened.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/handles.h"
#include "stackfile/actions.h"
#include "stackfile/stack.h"

namespace {

std::string Folder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzz_stack_XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

// Reads every field readers read, so that out-of-bounds walks show up.
unsigned Walk(corvida::Stack& stack, corvida::Handles& handles) {
  using namespace corvida;
  unsigned sum = 0;
  for (int n = 1; n <= stack.CardCount(); ++n) {
    LockedHandle bytes(handles, stack.CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    sum += CountedText(c, card::kName, card::kNameField).size();
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      sum += Field16(obj, object::kFlags);
      if (Field16(obj, object::kType) == object::kButton) {
        sum += CountedText(obj, button::kName, button::kNameField).size();
        for (size_t e = button::kEntries, n2; (n2 = EntryLengthAt(obj, e)); e += n2) {
          sum += Field16(obj, e);
        }
      }
    }
    sum += stack.BackgroundOf(stack.CardAt(n)) != 0;
  }
  if (const ResourceFile* area = stack.resources().current()) {
    for (const ResourceEntry& e : area->entries) {
      if (e.deleted()) continue;
      sum += stack.IsResourceUsed(e.type, e.id);
      if (e.type == restype::kHlnk) {
        LockedHandle h(handles, e.data);
        Bytes action = HyperlinkAction({h.data(), h.size()});
        sum += action.size > 0;
      }
    }
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida;
  std::string path = Folder() + "/input.stk";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  Handles handles;
  // Answer the questions both ways, chosen by the input, to reach both branches.
  bool yes = size % 2 != 0;
  Stack stack(handles);
  StackOpenOptions options;
  options.from_download = true;  // leave the input file as it is
  options.answers = {yes, yes};
  int result = stack.Open(path, options).code;
  volatile unsigned sink = Walk(stack, handles);
  (void)sink;
  if (result == 0) {
    std::string copy = Folder() + "/copy.stk";
    if (stack.Save(copy).saved()) {
      Stack again(handles);
      again.Open(copy, options);
      sink = Walk(again, handles);
    }
  }
  return 0;
}
