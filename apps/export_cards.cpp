// corvida export: the cards as the player shows them and their pictures alone
// (cards/NNN.png, cards/NNN-picture.png), the icons with their masks as transparency
// (icons/ID.png) and the pictures graphics hold of their own (graphics/ID.png).
#include <cstdio>
#include <set>

#include "apps/build_session.h"
#include "apps/export_job.h"
#include "engine/icons.h"
#include "platform/files.h"

namespace corvida::app {

namespace {

constexpr int kBarWidth = 30;

ExportObject ReadObject(Bytes rec) {
  ExportObject o;
  o.type = Field16(rec, object::kType);
  o.id = Field16(rec, object::kId);
  o.flags = Field16(rec, object::kFlags);
  o.rect = {GetI16(rec.data + 4), GetI16(rec.data + 6), GetI16(rec.data + 8),
            GetI16(rec.data + 10)};
  size_t at = 0, field = 0;
  if (o.type == object::kButton) at = button::kName, field = button::kNameField;
  if (o.type == object::kTextField) at = field::kName, field = field::kNameField;
  if (o.type == object::kGraphic) at = graphic::kName, field = graphic::kNameField;
  if (field) o.name = ShownText(CountedText(rec, at, field));
  o.record.assign(rec.data, rec.data + rec.size);
  return o;
}

}  // namespace

std::vector<ExportCard> ReadExportCards(Stack& stack, Handles& handles) {
  std::vector<ExportCard> cards;
  for (int n = 1; n <= stack.CardCount(); ++n) {
    LockedHandle bytes(handles, stack.CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    ExportCard card;
    card.number = n;
    card.id = Field16(c, card::kId);
    card.kind = Field16(c, card::kKind);
    card.background_id = Field16(c, card::kBackgroundId);
    card.name = ShownText(CountedText(c, card::kName, card::kNameField));
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      ExportObject o = ReadObject(c.Sub(at, length));
      if (!(o.flags & object::kFlagDeleted)) card.objects.push_back(std::move(o));
    }
    cards.push_back(std::move(card));
  }
  return cards;
}

ExportJob::ExportJob(StackImages& images, std::string stack_path, PathRoots roots,
                     ExportOutput& out, ExportProgress& progress)
    : images(images),
      stack_path(std::move(stack_path)),
      roots(std::move(roots)),
      out(out),
      progress(progress),
      cards(ReadExportCards(images.stack(), images.handles())) {}

std::string CardFileNumber(int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", number);
  return text;
}

std::string ObjectKindName(uint16_t type) {
  switch (type) {
    case object::kButton:
      return "button";
    case object::kTextField:
      return "field";
    case object::kGraphic:
      return "graphic";
    default:
      return std::to_string(type);
  }
}

ExportProgress::ExportProgress() : shown_(StandardErrorIsTerminal()) {}

void ExportProgress::Start(const char* part, size_t total) {
  part_ = part, done_ = 0, total_ = total;
  Draw();
}

void ExportProgress::Step() {
  ++done_;
  Draw();
}

void ExportProgress::Finish() {
  if (shown_ && total_) std::fprintf(stderr, "\n");
  total_ = 0;
}

void ExportProgress::Draw() {
  if (!shown_ || total_ == 0) return;
  const int filled = int(done_ * kBarWidth / total_);
  std::fprintf(stderr, "\r%-8s [%s%s] %zu/%zu", part_, std::string(size_t(filled), '#').c_str(),
               std::string(size_t(kBarWidth - filled), ' ').c_str(), done_, total_);
  std::fflush(stderr);
}

void ExportCardImages(ExportJob& job) {
  job.progress.Start("cards", job.cards.size());
  for (const ExportCard& card : job.cards) {
    const std::string name = "cards/" + CardFileNumber(card.number);
    for (bool objects : {true, false}) {
      const std::string file = name + (objects ? ".png" : "-picture.png");
      gfx::Bitmap image;
      if (job.images.RenderCard(card.number, objects, image)) {
        job.out.WritePng(file, image);
      } else {
        job.out.Fail(file, 0, "card " + std::to_string(card.number) + " cannot be drawn");
      }
    }
    job.progress.Step();
  }
  job.progress.Finish();
}

void ExportIcons(ExportJob& job) {
  Resources& resources = job.stack().resources();
  const ResourceFile* area = resources.current();
  if (!area) return;
  std::set<uint16_t> ids;
  for (const ResourceEntry& e : area->entries) {
    if (e.type == restype::kIcon && !e.deleted()) ids.insert(e.id);
  }
  for (uint16_t id : ids) {
    std::shared_ptr<const Icon> icon;
    if (Handle data = resources.Get(restype::kIcon, id)) {
      LockedHandle bytes(job.handles(), data);
      icon = ParseIcon({bytes.data(), bytes.size()});
    }
    const std::string file = "icons/" + std::to_string(id) + ".png";
    if (!icon) {
      job.out.Fail(file, 0, "icon " + std::to_string(id) + " is not a drawable icon");
      continue;
    }
    job.out.WritePng(file, icon->image, &icon->mask);
  }
}

void ExportGraphics(ExportJob& job) {
  for (const ExportCard& card : job.cards) {
    for (const ExportObject& o : card.objects) {
      if (o.type != object::kGraphic || (o.flags & object::kFlagExternalFile)) continue;
      if (o.record.size() <= graphic::kPath + 1) continue;  // no picture of its own
      gfx::Bitmap picture;
      const std::string wanted = std::to_string(o.id) + ".png";
      if (!DecodeGraphicPicture(o.bytes(), picture)) {
        job.out.Fail("graphics/" + wanted, 0,
                     "the picture of graphic " + std::to_string(o.id) + " on card " +
                         std::to_string(card.number) + " cannot be read");
        continue;
      }
      job.out.WritePng("graphics/" + job.out.names().Claim("graphics", wanted), picture);
    }
  }
}

}  // namespace corvida::app
