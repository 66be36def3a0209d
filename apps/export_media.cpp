// corvida export: the stack's sounds as sounds/ID.wav, and copies of the files the stack names
// (sound files and movies of action entries, pictures of graphics) into media/, with
// media/index.json telling which stored path became which file and which could not be found. A
// stored path is followed only where the player follows it: inside the stack's folder, the media
// folders and the download cache (ResolveStoredPath), so a stack cannot have other files copied.
#include <map>

#include "apps/build_session.h"
#include "apps/export_job.h"
#include "engine/render.h"
#include "platform/files.h"
#include "stackfile/action_reader.h"
#include "stackfile/mactext.h"
#include "stackfile/sound.h"
#include "stackfile/wav_writer.h"

namespace corvida::app {
namespace {

using json = nlohmann::ordered_json;

// A stored path and what names it.
struct NamedFile {
  std::string stored;
  std::string used_by;
};

std::vector<NamedFile> NamedFiles(ExportJob& job) {
  std::vector<NamedFile> named;
  for (const ExportActions& actions : CollectActionRecords(job)) {
    for (std::span<const uint8_t> entry : ActionEntries(actions.record)) {
      const uint16_t code = Get16(entry.data() + action::kEntryCode);
      if (code != action::kEntrySoundFile && code != action::kEntryMovie) continue;
      std::string stored = ActionEntryReader(entry).ReferencePath();
      if (!stored.empty()) named.push_back({std::move(stored), actions.label});
    }
  }
  for (const ExportCard& card : job.cards) {
    for (const ExportObject& o : card.objects) {
      if (o.type != object::kGraphic) continue;
      std::string stored = GraphicStoredPath(o.bytes());
      if (!stored.empty())
        named.push_back({std::move(stored), "card " + std::to_string(card.number) + " graphic " +
                                                std::to_string(o.id)});
    }
  }
  return named;
}

struct MediaEntry {
  std::string file;  // below DIR; "" when missing or not copied
  json used_by = json::array();
};

SoundDecodeResult DecodeSound(Handles& handles, Handle data) {
  LockedHandle bytes(handles, data);
  if (!bytes) return {strid::kSoundUnreadable, {}};
  return DecodeSnd({bytes.data(), bytes.size()});
}

}  // namespace

void ExportSounds(ExportJob& job) {
  Resources& resources = job.stack().resources();
  const ResourceFile* area = resources.current();
  if (!area) return;
  std::set<uint16_t> ids;
  for (const ResourceEntry& e : area->entries) {
    if (e.type == restype::kSnd && !e.deleted()) ids.insert(e.id);
  }
  for (uint16_t id : ids) {
    const ResourceEntry* entry = resources.Find(restype::kSnd, id);
    if (!entry) continue;
    const std::string file = "sounds/" + std::to_string(id) + ".wav";
    SoundDecodeResult sound = DecodeSound(job.handles(), entry->data);
    if (sound.alert) {
      job.out.Fail(
          file, sound.alert,
          "sound " + std::to_string(id) + " \"" + ShownText(entry->Name()) + "\" cannot be read");
      continue;
    }
    const std::vector<uint8_t> wav = WavFileBytes(sound.pcm.format, sound.pcm.samples);
    if (job.out.Write(file, {reinterpret_cast<const char*>(wav.data()), wav.size()}))
      job.sound_files.insert(id);
  }
}

void ExportMedia(ExportJob& job) {
  const bool mac_text = job.stack().names_converted();
  std::map<std::string, std::string> copied;  // canonical source -> file below DIR
  std::map<std::string, MediaEntry> by_stored;
  std::vector<std::string> order;
  job.out.names().Claim("media", "index.json");  // the index is not a copy's name
  for (const NamedFile& named : NamedFiles(job)) {
    auto [it, fresh] = by_stored.try_emplace(named.stored);
    it->second.used_by.push_back(named.used_by);
    if (!fresh) continue;
    order.push_back(named.stored);
    const std::string found = ResolveStoredPath(named.stored, job.roots, mac_text);
    if (found.empty()) continue;
    const std::string source = CanonicalPath(found);
    auto done = copied.find(source);
    if (done == copied.end()) {
      const std::string file = "media/" + job.out.names().Claim("media", PathFileName(source));
      if (!job.out.Copy(file, source)) continue;
      done = copied.emplace(source, file).first;
    }
    it->second.file = done->second;
    job.media_files[named.stored] = done->second;
  }
  json copies = json::array(), missing = json::array();
  for (const std::string& stored : order) {
    const MediaEntry& entry = by_stored[stored];
    const std::string shown = mac_text ? MacToUtf8(stored) : ShownText(stored);
    if (entry.file.empty()) {
      missing.push_back({{"stored", shown}, {"usedBy", entry.used_by}});
    } else {
      copies.push_back({{"stored", shown}, {"file", entry.file}, {"usedBy", entry.used_by}});
    }
  }
  if (!order.empty())
    job.out.WriteJson("media/index.json", {{"copied", copies}, {"missing", missing}});
}

}  // namespace corvida::app
