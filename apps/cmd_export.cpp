// corvida export STACK -o DIR: what a stack holds, as files: DIR/stack.json (what `info
// --json` prints) and DIR/sounds/ID.wav for every 'Snd ' resource that can be read.
#include <cstdio>
#include <set>

#include "apps/build_session.h"
#include "apps/command.h"
#include "apps/stack_json.h"
#include "apps/terminal.h"
#include "platform/files.h"
#include "stackfile/sound.h"
#include "stackfile/wav_writer.h"

namespace corvida::app {
namespace {

bool WriteOut(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (WriteFileAtomically(path, text)) return true;
  std::fprintf(stderr, "corvida export: cannot write %s\n", EscapeControls(path).c_str());
  return false;
}

class ExportCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_path_, "the stack")->required();
    app.add_option("-o", out_folder_, "the folder to write into (made when missing)")
        ->required()
        ->type_name("DIR");
    app.footer(
        "Writes DIR/stack.json (what 'info --json' prints) and DIR/sounds/ID.wav for each of\n"
        "the stack's sounds. Sounds that cannot be read are named on stderr with their alert\n"
        "number.");
  }

  int Run() override {
    if (!CheckReadable("export", stack_path_)) return kExitFailure;
    StackSession session;
    session.Open(stack_path_);
    if (!session.stack().is_open()) return kExitFailure;
    const std::string sounds = JoinPath(out_folder_, "sounds");
    if (!CreateDirectories(sounds)) {
      std::fprintf(stderr, "corvida export: cannot make the folder %s\n",
                   EscapeControls(sounds).c_str());
      return kExitFailure;
    }
    const std::string json = JsonText(DescribeStack(session.stack(), session.handles())) + "\n";
    if (!WriteOut(JoinPath(out_folder_, "stack.json"), {json.begin(), json.end()}))
      return kExitFailure;
    return ExportSounds(session, sounds) ? kExitOk : kExitFailure;
  }

 private:
  // False only when a file cannot be written; unreadable sounds are reported and skipped.
  bool ExportSounds(StackSession& session, const std::string& folder) {
    Resources& resources = session.stack().resources();
    const ResourceFile* area = resources.current();
    if (!area) return true;
    std::set<uint16_t> ids;
    for (const ResourceEntry& e : area->entries) {
      if (e.type == restype::kSnd && !e.deleted()) ids.insert(e.id);
    }
    for (uint16_t id : ids) {
      const ResourceEntry* entry = resources.Find(restype::kSnd, id);
      if (!entry) continue;
      SoundDecodeResult sound = Decode(session.handles(), entry->data);
      if (sound.alert) {
        std::fprintf(stderr, "corvida export: sound %u \"%s\" cannot be read (alert %d)\n", id,
                     EscapeControls(ShownText(entry->Name())).c_str(), sound.alert);
        continue;
      }
      const std::string path = JoinPath(folder, std::to_string(id) + ".wav");
      if (!WriteOut(path, WavFileBytes(sound.pcm.format, sound.pcm.samples))) return false;
    }
    return true;
  }

  static SoundDecodeResult Decode(Handles& handles, Handle data) {
    LockedHandle bytes(handles, data);
    if (!bytes) return {strid::kSoundUnreadable, {}};
    return DecodeSnd({bytes.data(), bytes.size()});
  }

  std::string stack_path_, out_folder_;
};

CommandRegistration reg(Entry<ExportCommand>("export",
                                             "write a stack's description and sounds as files",
                                             205));

}  // namespace
}  // namespace corvida::app
