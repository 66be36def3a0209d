// Exports arbitrary bytes opened as a stack: every part corvida export writes (the
// cards drawn, texts, scripts, media, the site and the source description), into a
// folder of its own that is emptied after each input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "apps/export_job.h"

namespace {

std::string Folder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzz_export_XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida::app;
  const std::string stack = Folder() + "/input.stk";
  std::FILE* f = std::fopen(stack.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  StackImages images;
  if (!images.Open(stack)) return 0;
  const std::string out_folder = Folder() + "/out";
  std::filesystem::remove_all(out_folder);
  ExportOutput out(out_folder);
  if (!out.Prepare()) return 0;
  ExportProgress progress;
  ExportJob job(images, stack, {}, out, progress);
  for (void (*part)(ExportJob&) :
       {ExportSounds, ExportIcons, ExportGraphics, ExportFieldTexts, ExportScripts, ExportMedia,
        ExportCardImages, ExportSite, ExportSource})
    part(job);
  return 0;
}
