#include "engine/media_hooks.h"

#include "platform/text.h"
#include "stackfile/fileslots.h"

namespace corvida {

namespace {

constexpr size_t kSummaryLength = 40;

// The file name of a stored reference ("Disk:Sounds:boing.wav" -> "boing.wav").
std::string FileName(const std::string& stored) {
  return std::string(NamePart(stored));
}

}  // namespace

std::string ScriptSummary(const std::string& text) {
  size_t start = text.find_first_not_of(" \r\n\t");
  if (start == std::string::npos) return {};
  size_t end = text.find_first_of("\r\n", start);
  std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  bool more =
      line.size() > kSummaryLength ||
      (end != std::string::npos && text.find_first_not_of(" \r\n\t", end) != std::string::npos);
  if (line.size() > kSummaryLength) line.resize(kSummaryLength);
  return more ? line + "..." : line;
}

bool RecordingMediaHooks::PlayStackSound(const StackSoundRequest& request) {
  Log("sound " + Quoted(request.name.empty() ? std::to_string(request.sound_id) : request.name));
  return false;
}

bool RecordingMediaHooks::PlaySoundFile(const FileRequest& request) {
  Log("sound " + Quoted(FileName(request.stored)));
  return false;
}

bool RecordingMediaHooks::StartMovie(uint16_t, const FileRequest& request) {
  Log("movie " + Quoted(FileName(request.stored)));
  return false;
}

bool RecordingMediaHooks::StartAnimation(const AnimationRequest& request) {
  Log("animation " + std::to_string(request.record_id));
  return false;
}

void RecordingMediaHooks::PlayVideodisc(uint16_t record_id, std::span<const uint8_t>) {
  Log("videodisc " + std::to_string(record_id));
}

bool RecordingMediaHooks::CallNba(const NbaRequest& request) {
  Log("nba " + Quoted(request.module.empty() ? std::to_string(request.nba_id) : request.module) +
      " " + std::to_string(request.data.size()) + " bytes");
  return false;
}

void RecordingMediaHooks::RunScript(const ScriptRequest& request) {
  Log("script " + Quoted(ScriptSummary(request.text)));
}

}  // namespace corvida
