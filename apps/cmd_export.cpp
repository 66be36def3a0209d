// corvida export STACK -o DIR: everything a stack holds, as files of today's formats:
// stack.json (what `info --json` prints), sounds/ID.wav, cards/NNN.png and
// NNN-picture.png, icons/, graphics/, text/, scripts/, media/, and index.json telling what
// was written and what could not be, with why. `--only` picks parts. Nothing is written
// outside DIR (ExportOutput).
#include <algorithm>
#include <cstdio>
#include <set>

#include "apps/build_session.h"
#include "apps/command.h"
#include "apps/export_job.h"
#include "apps/stack_json.h"
#include "apps/terminal.h"
#include "platform/files.h"
#include "stackfile/paths.h"

namespace corvida::app {
namespace {

// The parts written unless --only says otherwise, in the order they are written.
const std::vector<std::string> kParts = {"stack", "sounds",  "icons", "graphics",
                                         "text",  "scripts", "media", "cards"};

// Where the files a stack names may be found: as the player looks for them.
PathRoots MediaRoots(const std::string& stack_path) {
  PathRoots roots;
  const std::string folder = PathFolder(stack_path);
  roots.stack_folder = folder.empty() ? "." : folder;
  const Folders folders = UserFolders();
  roots.media_folders = MediaFolderPaths({folders.data, folders.program});
  roots.download_folder = UserCacheFolder();
  return roots;
}

class ExportCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_path_, "the stack")->required();
    app.add_option("-o", out_folder_, "the folder to write into (made when missing)")
        ->required()
        ->type_name("DIR");
    app.add_option("--only", only_, "the parts to write (default: all)")
        ->delimiter(',')
        ->check(CLI::IsMember(kParts))
        ->type_name("PART,...");
    app.add_flag("--source", source_,
                 "also write source/stack.json, a description 'corvida build' makes the stack "
                 "from");
    app.add_flag("--site", site_,
                 "also write site/: a static page per card to browse without the player");
    app.footer(
        "Writes into DIR: stack.json (what 'info --json' prints), sounds/ID.wav,\n"
        "cards/NNN.png and NNN-picture.png (each card as shown and its picture alone),\n"
        "icons/ID.png, graphics/ID.png, text/NNN.json and .md (the fields' text and\n"
        "styles), scripts/*.lg, media/ (copies of the files the stack names, with\n"
        "media/index.json) and index.json (what was written, what could not be and why,\n"
        "with alert numbers). Parts: stack, sounds, icons, graphics, text, scripts, media,\n"
        "cards. --site adds site/index.html and site/card-NNN.html (with the cards, sounds\n"
        "and media they show); --source adds source/stack.json for 'corvida build'\n"
        "(docs/export.md). A progress bar shows on stderr when it is a terminal.");
  }

  int Run() override {
    if (!CheckReadable("export", stack_path_)) return kExitFailure;
    StackImages images;
    if (!images.Open(stack_path_)) return kExitFailure;
    ExportOutput out(out_folder_);
    if (!out.Prepare()) return kExitFailure;
    ExportProgress progress;
    ExportJob job(images, stack_path_, MediaRoots(stack_path_), out, progress);
    std::vector<std::string> chosen = only_.empty() ? kParts : only_;
    if (site_) chosen.insert(chosen.end(), {"sounds", "media", "cards"});
    std::vector<std::string> parts = Ordered(chosen);
    if (site_) parts.push_back("site");
    if (source_) parts.push_back("source");
    for (const std::string& part : parts) RunPart(job, part);
    nlohmann::ordered_json index = {
        {"stack", PathFileName(stack_path_)}, {"cards", job.cards.size()}, {"parts", parts}};
    index.update(out.Report());
    out.WriteJson("index.json", index);
    return out.write_failed() ? kExitFailure : kExitOk;
  }

 private:
  static std::vector<std::string> Ordered(const std::vector<std::string>& chosen) {
    std::vector<std::string> parts;
    for (const std::string& part : kParts) {
      if (std::find(chosen.begin(), chosen.end(), part) != chosen.end()) parts.push_back(part);
    }
    return parts;
  }

  static void RunPart(ExportJob& job, const std::string& part) {
    if (part == "stack") {
      job.out.WriteJson("stack.json", DescribeStack(job.stack(), job.handles()));
    } else if (part == "sounds") {
      ExportSounds(job);
    } else if (part == "icons") {
      ExportIcons(job);
    } else if (part == "graphics") {
      ExportGraphics(job);
    } else if (part == "text") {
      ExportFieldTexts(job);
    } else if (part == "scripts") {
      ExportScripts(job);
    } else if (part == "media") {
      ExportMedia(job);
    } else if (part == "cards") {
      ExportCardImages(job);
    } else if (part == "site") {
      ExportSite(job);
    } else if (part == "source") {
      ExportSource(job);
    }
  }

  std::string stack_path_, out_folder_;
  std::vector<std::string> only_;
  bool site_ = false, source_ = false;
};

CommandRegistration register_export(Entry<ExportCommand>("export",
                                                         "write everything a stack holds as files",
                                                         205));

}  // namespace
}  // namespace corvida::app
