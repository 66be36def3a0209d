#include "engine/animations.h"

#include <algorithm>
#include <new>

namespace corvida {

namespace {

bool Due(uint32_t now, uint32_t due) {
  return int32_t(now - due) >= 0;  // the tick count wraps
}

Rect FrameArea(Point at, const gfx::Bitmap& frame) {
  return {at.x, at.y, at.x + frame.width(), at.y + frame.height()};
}

template <typename T>
bool CopyData(std::span<const uint8_t> data, std::vector<T>& out) {
  try {
    out.assign(data.begin(), data.end());
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

bool AnimationManager::Start(uint16_t id, const Rect& rect, std::span<const uint8_t> data) {
  if (IsSpriteData(data)) return StartSpriteAnimation(data, id);
  return StartPathAnimation(data, rect, id);
}

// ---- path animations ----

bool AnimationManager::StartPathAnimation(std::span<const uint8_t> data, const Rect& rect,
                                          uint16_t id) {
  std::optional<PathDescription> description = ReadPathDescription(data);
  if (!description) return false;
  const PathDescription& d = *description;
  if (d.width == 0 || d.height == 0 || !(d.depth == 24 || gfx::ValidDepth(d.depth))) return false;
  if (d.flags & pathanim::kFinishSameId) {
    // They end silently at their next step.
    for (PathNode& node : paths_) {
      if (id != 0 && node.id != id) continue;
      node.flags |= pathanim::kDoNotDraw;
      node.repetition = node.description.repetitions;
      node.frame = node.description.frame_count + 1;
    }
  }
  PathNode node;
  node.description = d;
  node.rect = rect;
  node.flags = d.flags | pathanim::kDataInEntry;
  node.id = id;
  node.due = clock_.Ticks();
  if (!CopyData(data, node.data) || !node.bits.Create(d.width, d.height, d.depth)) {
    host_.Alert(kAlertNoMemory);
    return false;
  }
  paths_.push_back(std::move(node));
  host_.Log("animation " + std::to_string(id) + " started");
  return true;
}

void AnimationManager::StepPathAnimations() {
  const uint32_t now = clock_.Ticks();
  for (auto it = paths_.begin(); it != paths_.end();) {
    PathNode& node = *it;
    if (!Due(now, node.due)) {
      ++it;
      continue;
    }
    if (node.frame <= node.description.frame_count) {
      if (!(node.flags & pathanim::kDoNotDraw) && !DrawNextFrame(node)) {
        it = EndPath(it);
        continue;
      }
      ++node.frame;
      node.due = now + node.description.ticks_between;
      ++it;
      continue;
    }
    if (node.repetition == node.description.repetitions) {
      it = EndPath(it);
      continue;
    }
    // Again from the first frame, due at once: it is drawn in this same step. Without
    // repetitions for as long as the card shows.
    node.frame = 1;
    if (node.description.repetitions != 0) ++node.repetition;
    node.next_record = pathanim::kFirstRecord;
    if (node.description.frame_count == 0) ++it;
  }
}

bool AnimationManager::DrawNextFrame(PathNode& node) {
  std::optional<FrameRecord> record = ReadFrameRecord(node.data, node.next_record);
  if (!record) return false;
  node.next_record = record->next;
  const bool applied = (node.flags & pathanim::kPatchLists) ? node.bits.ApplyPatches(record->data)
                                                            : node.bits.ApplyWhole(record->data);
  if (!applied || !node.bits.ToBitmap(host_.CardPalette(), node.shown)) return false;
  ShowPath(node);
  return true;
}

void AnimationManager::ShowPath(const PathNode& node) {
  host_.ShowAnimationFrame({node.rect.left, node.rect.top}, node.shown,
                           !(node.flags & pathanim::kUnclipped), nullptr);
}

auto AnimationManager::EndPath(std::list<PathNode>::iterator it) -> std::list<PathNode>::iterator {
  const PathNode& node = *it;
  // The card shows through again wherever the frames were.
  if (node.flags & pathanim::kInvalidateAtEnd)
    host_.EraseAnimation(
        node.rect.Union({node.rect.left, node.rect.top, node.rect.left + node.description.width,
                         node.rect.top + node.description.height}));
  if (!(node.flags & pathanim::kDoNotDraw))
    host_.Log("animation " + std::to_string(node.id) + " finished");
  return paths_.erase(it);
}

bool AnimationManager::PathAnimationRunning(uint16_t id) const {
  for (const PathNode& node : paths_)
    if (node.id == id) return true;
  return false;
}

void AnimationManager::StopPathAnimations() {
  paths_.clear();
}

// ---- sprites ----

bool AnimationManager::StartSpriteAnimation(std::span<const uint8_t> data, uint16_t id) {
  if (!IsSpriteData(data)) return false;
  if (SpriteRunning(id)) return true;  // one sprite per id
  SpriteNode sprite;
  if (!CopyData(data, sprite.data)) {
    host_.Alert(kAlertNoMemory);
    return false;
  }
  std::optional<SpriteLayout> layout = ReadSprite(sprite.data);
  if (!layout) {
    host_.Log("sprite " + std::to_string(id) + " cannot be read");
    return false;
  }
  sprite.layout = std::move(*layout);  // points into sprite.data, whose bytes never move
  if (sprite.layout.FromCard() && !host_.CardPiece(sprite.layout.card_piece, sprite.picture)) {
    host_.Log("sprite " + std::to_string(id) + " cannot be read");
    return false;
  }
  sprite.id = id;
  sprite.due = clock_.Ticks();
  sprites_.push_back(std::move(sprite));
  host_.Log("sprite " + std::to_string(id) + " started");
  return true;
}

void AnimationManager::SpriteIdle() {
  const uint32_t now = clock_.Ticks();
  Rect erased;
  std::vector<SpriteNode*> moved;
  for (auto it = sprites_.begin(); it != sprites_.end();) {
    SpriteNode& sprite = *it;
    if (!Due(now, sprite.due)) {
      ++it;
      continue;
    }
    if (!sprite.shown.Empty()) host_.EraseAnimation(sprite.shown);
    erased = erased.Union(sprite.shown);
    bool unknown_packing = false;
    const bool more = sprite.step < SpriteSteps(sprite.layout) &&
                      (sprite.layout.FromCard() ||
                       DecodeSpriteFrame(sprite.layout, sprite.step, host_.CardPalette(),
                                         sprite.picture, sprite.mask, &unknown_packing));
    if (unknown_packing) host_.UnknownPicturePacking();
    if (!more) {
      host_.Log("sprite " + std::to_string(sprite.id) + " finished");
      it = sprites_.erase(it);
      continue;
    }
    sprite.shown = FrameArea(SpritePosition(sprite.layout, sprite.step), sprite.picture);
    ++sprite.step;
    sprite.due = now + sprite::kStepTicks;
    moved.push_back(&sprite);
    ++it;
  }
  // Sprites that stayed where others were erased are drawn again, then those that moved.
  for (SpriteNode& sprite : sprites_)
    if (!sprite.shown.Empty() && !sprite.shown.Intersect(erased).Empty() &&
        std::find(moved.begin(), moved.end(), &sprite) == moved.end())
      ShowSprite(sprite);
  for (SpriteNode* sprite : moved) ShowSprite(*sprite);
}

void AnimationManager::ShowSprite(SpriteNode& sprite) {
  host_.ShowAnimationFrame({sprite.shown.left, sprite.shown.top}, sprite.picture, true,
                           sprite.mask.empty() ? nullptr : &sprite.mask);
}

bool AnimationManager::SpriteRunning(uint16_t id) const {
  for (const SpriteNode& sprite : sprites_)
    if (sprite.id == id) return true;
  return false;
}

void AnimationManager::StopSprites() {
  sprites_.clear();
}

void AnimationManager::Redraw() {
  for (const PathNode& node : paths_)
    if (!node.shown.empty() && !(node.flags & pathanim::kDoNotDraw)) ShowPath(node);
  for (SpriteNode& sprite : sprites_)
    if (!sprite.shown.Empty()) ShowSprite(sprite);
}

// ---- first frames in the card ----

void DrawAnimationFrame(gfx::DrawTarget& target, Point at, const gfx::Bitmap& frame,
                        const gfx::Region& clip, const gfx::Bitmap* mask) {
  if (frame.empty()) return;
  const Rect area = FrameArea(at, frame);
  target.SetClip(clip.Intersect(area));
  if (mask)
    target.CopyMasked(area, frame, {0, 0}, *mask, {0, 0});
  else
    target.BitBlt(area, frame, {0, 0}, gfx::rop::kSrcCopy);
  target.ClearClip();
}

bool FirstFrameInCardPicture(std::span<const uint8_t> data) {
  if (IsSpriteData(data)) return false;
  std::optional<PathDescription> d = ReadPathDescription(data);
  return d && !(d->flags & pathanim::kUnclipped);
}

void DrawAnimationFirstFrame(gfx::DrawTarget& target, const Rect& rect,
                             std::span<const uint8_t> data, const gfx::Region& card_area,
                             const gfx::Palette& palette, bool* unknown_packing) {
  gfx::Bitmap picture, mask;
  if (IsSpriteData(data)) {
    std::optional<SpriteLayout> layout = ReadSprite(data);
    // A film the player makes has no picture before it starts: it is made from the card.
    if (layout && layout->FromCard()) return;
    if (!layout || !DecodeSpriteFrame(*layout, 0, palette, picture, mask, unknown_packing)) return;
    DrawAnimationFrame(target, SpritePosition(*layout, 0), picture, card_area,
                       mask.empty() ? nullptr : &mask);
    return;
  }
  std::optional<PathDescription> d = ReadPathDescription(data);
  if (!d || !(d->flags & pathanim::kFirstFrameInCard)) return;
  if (!PathAnimationPicture(data, palette, picture)) return;
  const gfx::Region whole(target.bitmap().Bounds());
  DrawAnimationFrame(target, {rect.left, rect.top}, picture,
                     (d->flags & pathanim::kUnclipped) ? whole : card_area, nullptr);
}

}  // namespace corvida
