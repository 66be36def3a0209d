#include "player/player_media.h"

#include <vector>

#include "base/handles.h"
#include "platform/text.h"
#include "player/nba_host.h"
#include "player/player_scripts.h"
#include "player/player_window.h"
#include "stackfile/action_reader.h"
#include "stackfile/fileslots.h"
#include "stackfile/resources.h"

namespace corvida {
namespace {

// Stack sound flag: the resource holds a whole movie (played by the movie player).
constexpr uint16_t kSoundIsMovie = 0x0004;

}  // namespace

PlayerMedia::PlayerMedia(Player& player, PlayerWindow& window,
                         std::function<void(const std::string&)> log)
    : RecordingMediaHooks(std::move(log)),
      player_(player),
      window_(window),
      sounds_(player.platform.audio()),
      movies_(player.platform.movies(), player.platform.audio(), player.platform.clock(), *this),
      animations_(player.platform.clock(), *this) {}

void PlayerMedia::RunScript(const ScriptRequest& request) {
  RecordingMediaHooks::RunScript(request);
  if (scripts_) scripts_->Run(request);
}

bool PlayerMedia::PlayStackSound(const StackSoundRequest& request) {
  RecordingMediaHooks::PlayStackSound(request);
  StopSound();  // a new sound ends every other
  Handle snd = player_.stack.resources().Get(restype::kSnd, request.sound_id);
  if (!snd || request.name == kStopAllSounds) return false;
  if (request.flags & kSoundIsMovie) return PlayStoredMovie(snd, request.name);
  int alert = 0;
  {
    LockedHandle bytes(player_.handles, snd);
    if (!bytes) return false;
    alert = sounds_.PlayStored({bytes.data(), bytes.size()});
  }
  if (alert != 0) AlertOnce(player_.stack.path() + "#" + std::to_string(request.sound_id), alert);
  return sounds_.Playing();
}

bool PlayerMedia::PlaySoundFile(const FileRequest& request) {
  RecordingMediaHooks::PlaySoundFile(request);
  StopSound();  // a new sound ends every other
  const std::string_view name = NamePart(request.stored);
  if (EqualsIgnoringCase(name, kStopSoundsFile)) return false;
  if (request.host_path.empty()) {
    Log("missing " + Quoted(name));
    return false;
  }
  const std::optional<SoundFileKind> kind = SoundFileKindOf(name);
  if (!kind) return PlayFileAsMovie(request);
  const int alert = sounds_.PlayFile(request.host_path, *kind);
  if (alert == 0) return sounds_.Playing();
  // What our sound readers refuse the movie engine may still hear (other compressions).
  if (PlayFileAsMovie(request)) return true;
  AlertOnce(request.host_path, alert);
  return false;
}

bool PlayerMedia::PlayFileAsMovie(const FileRequest& request) {
  MovieStart start;
  start.path = request.host_path;
  start.name = std::string(NamePart(request.stored));
  return movies_.StartSound(std::move(start));
}

bool PlayerMedia::PlayStoredMovie(Handle snd, const std::string& name) {
  MovieStart start;
  start.name = name;
  start.from_memory = true;
  {
    LockedHandle bytes(player_.handles, snd);
    if (!bytes) return false;
    start.memory.assign(bytes.data(), bytes.data() + bytes.size());
  }
  return movies_.StartSound(std::move(start));
}

bool PlayerMedia::StartMovie(uint16_t record_id, const FileRequest& request) {
  RecordingMediaHooks::StartMovie(record_id, request);
  if (request.host_path.empty()) return false;  // not found: nothing shows
  MovieStart start;
  start.id = request.movie_id;
  start.rect = request.rect;
  start.options = request.options;
  start.volume = request.volume;
  start.path = request.host_path;
  start.name = std::string(NamePart(request.stored));
  if (!movies_.StartMovie(start)) return false;
  movie_of_record_[record_id] = request.movie_id;
  return true;
}

bool PlayerMedia::StartAnimation(const AnimationRequest& request) {
  RecordingMediaHooks::StartAnimation(request);
  return animations_.Start(request.record_id, request.rect, request.data);
}

namespace {

// A movie's picture in the card's own pixel format, so that drawing it is a plain copy:
// 8-bit cards take the nearest entry of the card palette (recent answers remembered, as
// frames repeat their colours), others the colour itself.
bool CardPixels(const MovieFrame& frame, const gfx::DrawTarget& target, gfx::Bitmap& picture) {
  const bool indexed = target.bitmap().depth() == 8;
  if (!picture.Create(frame.width, frame.height, indexed ? 8 : 32)) return false;
  const gfx::Palette& palette = target.palette();
  struct Slot {
    uint32_t key = 0xFFFFFFFF;
    uint8_t index = 0;
  };
  std::vector<Slot> recent(indexed ? 4096 : 0);
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* src = frame.rgba.data() + size_t(y) * size_t(frame.width) * 4;
    uint8_t* dst = picture.Row(y);
    for (int x = 0; x < frame.width; ++x, src += 4) {
      if (!indexed) {
        dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst += 4;
        continue;
      }
      const uint32_t key = (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
      Slot& slot = recent[(key ^ (key >> 12)) & 4095];
      if (slot.key != key)
        slot = {key, uint8_t(gfx::PixelFromRgb({src[0], src[1], src[2]}, 8, palette))};
      *dst++ = slot.index;
    }
  }
  if (indexed) picture.palette = palette;
  return true;
}

}  // namespace

void DrawMovieFrame(gfx::DrawTarget& target, const Rect& rect, const MovieFrame& frame,
                    const gfx::Region& clip) {
  if (frame.width <= 0 || frame.height <= 0) return;
  if (frame.rgba.size() < size_t(frame.width) * size_t(frame.height) * 4) return;
  gfx::Bitmap picture;
  if (!CardPixels(frame, target, picture)) return;
  target.SetClip(clip.Intersect(rect));
  target.BitBlt({rect.left, rect.top, rect.left + frame.width, rect.top + frame.height}, picture,
                {0, 0}, gfx::rop::kSrcCopy);
  target.ClearClip();
}

bool PlayerMedia::DrawRecordMovieFrame(gfx::DrawTarget& target, Bytes action_record, bool on_top) {
  ActionRecordReader record(action_record);
  if (!(record.action_flags() & action::kMovie)) return false;
  ActionEntryReader entry = record.Entry(action::kEntryMovie);
  if (entry.empty() || !(entry.movie_options() & action::kMovieFirstFrame)) return false;
  if (bool(entry.movie_options() & action::kMovieOnTop) != on_top) return false;
  MovieStart start;
  start.id = entry.movie_id();
  start.rect = entry.rect();
  start.path = window_.FindMediaPathLater(entry.ReferencePath());
  FirstFrame first;
  if (!movies_.FirstFrameOf(start, first)) return false;
  DrawMovieFrame(target, first.rect, first.frame, gfx::Region(target.bitmap().Bounds()));
  return true;
}

bool PlayerMedia::DrawRecordAnimationFrame(gfx::DrawTarget& target, Bytes action_record,
                                           const gfx::Region& card_area, bool over_objects) {
  ActionRecordReader record(action_record);
  if (!(record.action_flags() & action::kAnimation)) return false;
  ActionEntryReader entry = record.Entry(action::kEntryAnimation);
  if (entry.empty() || FirstFrameInCardPicture(entry.data()) == over_objects) return false;
  bool unknown_packing = false;
  DrawAnimationFirstFrame(target, entry.rect(), entry.data(), card_area, CardPalette(),
                          &unknown_packing);
  if (unknown_packing) window_.NoteUnknownPacking();
  return true;
}

// Frames kept under the objects go into the card picture.
void PlayerMedia::DrawFramesUnderObjects(gfx::DrawTarget& picture, Bytes action_record,
                                         const gfx::Region& card_area) {
  DrawRecordAnimationFrame(picture, action_record, card_area, false);
  DrawRecordMovieFrame(picture, action_record, false);
}

void PlayerMedia::DrawFirstFrames(gfx::DrawTarget& target, Bytes action_record,
                                  const gfx::Region& card_area) {
  DrawRecordAnimationFrame(target, action_record, card_area, true);
  DrawRecordMovieFrame(target, action_record, true);
}

void PlayerMedia::Idle() {
  sounds_.ReleaseFinished();
  movies_.IdleMovies();
  animations_.Step();
}

void PlayerMedia::Step(uint32_t tick) {
  animations_.Step();
  movies_.IdleMovies();
  // The modules' timer message, as the player window's timer would send it.
  if (nbas_ && window_.window()) nbas_->WindowMessage({window_.window(), msg::kTimer, tick, 0, 0});
}

bool PlayerMedia::CallNba(const NbaRequest& request) {
  RecordingMediaHooks::CallNba(request);
  return nbas_ && nbas_->RunFromAction(request);
}

bool PlayerMedia::Busy(uint16_t record_id, const StartedMedia& started) {
  if (started.sound && (sounds_.Playing() || movies_.SoundsPlaying())) return true;
  if (started.movie) {
    auto it = movie_of_record_.find(record_id);
    if (it != movie_of_record_.end() && !movies_.IsMovieFinished(it->second)) return true;
  }
  if (started.animation && animations_.Running(record_id)) return true;
  if (started.nba && nbas_ && nbas_->Busy()) return true;
  return RecordingMediaHooks::Busy(record_id, started);
}

void PlayerMedia::StopAnimationsAndMovies() {
  animations_.StopAll();
  movies_.StopMovies(true, false);
}

void PlayerMedia::LeaveCard() {
  animations_.StopAll();
  movies_.StopMovies(true, false);
  movie_of_record_.clear();
}

void PlayerMedia::StopSound() {
  sounds_.StopAll();
  movies_.StopSounds();
}

void PlayerMedia::Shutdown() {
  StopSound();
  animations_.StopAll();
  movies_.StopMovies(false, true);
  movie_of_record_.clear();
}

void PlayerMedia::AlertOnce(const std::string& key, int alert) {
  if (alerted_.insert(key).second) player_.alerts.Alert(alert);
}

Size PlayerMedia::WindowSize() {
  return window_.CardSize();
}

void PlayerMedia::ShowMovieFrame(const Rect& rect, const MovieFrame& frame, bool on_top) {
  window_.ShowMovieFrame(rect, frame, on_top);
}

void PlayerMedia::ShowController(const ControllerView& view) {
  window_.ShowController(view);
}

void PlayerMedia::EraseMovie(const Rect& rect) {
  window_.RepaintCard(rect);
}

gfx::Palette PlayerMedia::CardPalette() {
  return window_.view().palette();
}

void PlayerMedia::ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                                     const gfx::Bitmap* mask) {
  window_.ShowAnimationFrame(at, frame, clipped, mask);
}

void PlayerMedia::EraseAnimation(const Rect& rect) {
  window_.RepaintCard(rect);
}

bool PlayerMedia::CardPiece(const Rect& rect, gfx::Bitmap& out) {
  out.Clear();
  if (!window_.view().current_card()) return false;
  gfx::Bitmap card;
  window_.view().Compose(card);
  const Rect piece = rect.Intersect(card.Bounds());
  if (piece.Empty() || !out.Create(piece.Width(), piece.Height(), card.depth())) return false;
  out.palette = card.palette;
  gfx::DrawTarget copy(out);
  copy.BitBlt(out.Bounds(), card, {piece.left, piece.top}, gfx::rop::kSrcCopy);
  return true;
}

void PlayerMedia::UnknownPicturePacking() {
  window_.NoteUnknownPacking();
}

int PlayerMedia::Alert(int id) {
  return window_.Alert(id);
}

void PlayerMedia::Log(const std::string& line) {
  window_.Log(line);
}

}  // namespace corvida
