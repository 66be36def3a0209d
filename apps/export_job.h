// What every part of `corvida export` works from: the opened stack (with a card view to
// draw it), its cards read once, where the files it names resolve, the output folder and
// the progress shown. Each part lives in its own export_*.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "apps/card_images.h"
#include "apps/export_output.h"
#include "stackfile/paths.h"

namespace corvida::app {

// One object of a card, its record copied out of the card (native layout).
struct ExportObject {
  uint16_t type = 0;
  uint16_t id = 0;
  uint16_t flags = 0;
  Rect rect;
  std::string name;  // UTF-8
  std::vector<uint8_t> record;
  // A view for the record readers, which only read through it.
  Bytes bytes() const { return {const_cast<uint8_t*>(record.data()), record.size()}; }
};

struct ExportCard {
  int number = 0;  // 1-based position
  uint16_t id = 0;
  uint16_t kind = 0;
  uint16_t background_id = 0;
  std::string name;  // UTF-8
  std::vector<ExportObject> objects;
};

// The terminal's progress bar: drawn on stderr only when it is a terminal.
class ExportProgress {
 public:
  ExportProgress();
  void Start(const char* part, size_t total);
  void Step();
  void Finish();

 private:
  void Draw();
  bool shown_;
  const char* part_ = "";
  size_t done_ = 0, total_ = 0;
};

struct ExportJob {
  // Reads the cards of the opened stack.
  ExportJob(StackImages& images, std::string stack_path, PathRoots roots, ExportOutput& out,
            ExportProgress& progress);
  StackImages& images;
  std::string stack_path;
  PathRoots roots;  // where the files the stack names may resolve
  ExportOutput& out;
  ExportProgress& progress;
  std::vector<ExportCard> cards;
  // Filled as parts run, for the pages: sounds written (by 'Snd ' id) and media copied
  // (stored path -> file below the output folder).
  std::set<uint16_t> sound_files;
  std::map<std::string, std::string> media_files;
  Stack& stack() { return images.stack(); }
  Handles& handles() { return images.handles(); }
};

// An ActionRecord of the stack (a button's record, an 'Actn' or an 'Hlnk' resource's
// action), copied out, with what it is called in reports and file names.
struct ExportActions {
  std::string label;      // "card 3 button 7", "action 20", "link 9"
  std::string file_base;  // "card-003-button-7", "action-20", "link-9"
  std::vector<uint8_t> record;
};
std::vector<ExportActions> CollectActionRecords(ExportJob& job);
// The entries of an ActionRecord, in order, each bounded by the record.
std::vector<std::span<const uint8_t>> ActionEntries(std::span<const uint8_t> record);

// The cards of the stack in order, with their objects (deleted ones left out).
std::vector<ExportCard> ReadExportCards(Stack& stack, Handles& handles);
// "001" for card 1: the number as the files of a card are named.
std::string CardFileNumber(int number);
// The name of an object kind ("button", "field", "graphic") or its number.
std::string ObjectKindName(uint16_t type);

// The parts.
void ExportCardImages(ExportJob& job);
void ExportIcons(ExportJob& job);
void ExportGraphics(ExportJob& job);
void ExportFieldTexts(ExportJob& job);
void ExportScripts(ExportJob& job);
void ExportMedia(ExportJob& job);
void ExportSounds(ExportJob& job);
void ExportSite(ExportJob& job);
void ExportSource(ExportJob& job);

}  // namespace corvida::app
