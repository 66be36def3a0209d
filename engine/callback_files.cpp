// Callback commands on files and pictures: the open stack's file, the file slots as
// records and references, sounds by file or by block, text files the user picks, a
// picture of the shown card, pictures loaded by path, and an object's shape.
//
// Callers see copies: the slot table they read is the player's own answer block, and a
// record they hand in goes only into the scratch slot 0. The user's files are reached only
// through files the user picks.
#include <algorithm>
#include <cstring>

#include "engine/callback.h"
#include "stackfile/resources.h"
#include "stackfile/stack.h"

namespace corvida {
namespace {

constexpr size_t kSlotPath = 4;
constexpr size_t kSlotInfo = 298;
constexpr size_t kSlotInfoSize = 6;
constexpr size_t kSlotName = 304;
// Serialized references are at most a path, a pad byte, six bytes of information and a
// name, each string with its NUL.
constexpr size_t kReferenceLimit =
    FileSlots::kPathSize + 1 + kSlotInfoSize + FileSlots::kNameSize + 1;
constexpr int kChooseTextFilePrompt = 2408;
// Names of bitmaps: 1 is the offscreen bitmap, 2 the shown card's picture, and loaded
// pictures come after.
constexpr uint32_t kShownCardPicture = 2;
constexpr uint32_t kFirstLoadedPicture = 16;
constexpr uint32_t kInvert = 1, kNewRegion = 2, kInvertAgain = 3;

std::string CStringIn(std::span<const uint8_t> bytes) {
  auto end = std::find(bytes.begin(), bytes.end(), 0);
  return std::string(bytes.begin(), end);
}

std::vector<uint8_t> WithNul(std::string_view text) {
  std::vector<uint8_t> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

// An object's area as four 32-bit values (left, top, right, bottom), as command 31
// answers rectangles.
std::vector<uint8_t> AreaBytes(const Rect& r) {
  std::vector<uint8_t> out(16);
  const int sides[] = {r.left, r.top, r.right, r.bottom};
  for (size_t i = 0; i < 4; ++i) WriteLE32(out, i * 4, static_cast<uint32_t>(sides[i]));
  return out;
}

}  // namespace

void CallbackDispatch::StackFileInfo() {
  if (stack_.path().empty()) return Answer(1, 0);
  const std::span<const uint8_t> slot = nav_.files().Raw(FileSlots::kStack);
  std::vector<uint8_t> info(slot.begin() + kSlotInfo, slot.begin() + kSlotInfo + kSlotInfoSize);
  const std::vector<uint8_t> name = WithNul(CStringIn(slot.subspan(kSlotName)));
  info.insert(info.end(), name.begin(), name.end());
  Answer(1, AnswerBlock(13 * 4 + 1, info));
  Answer(2, AnswerBlock(13 * 4 + 2,
                        WithNul(CStringIn(slot.subspan(kSlotPath, FileSlots::kPathSize)))));
}

void CallbackDispatch::FileSlotTable() {
  std::vector<uint8_t> table;
  for (int slot = 0; slot < FileSlots::kSlotCount; ++slot) {
    const std::span<const uint8_t> raw = nav_.files().Raw(slot);
    table.insert(table.end(), raw.begin(), raw.end());
  }
  Answer(1, AnswerBlock(61, table));
}

void CallbackDispatch::SlotRecordToReference() {
  const std::vector<uint8_t> record = ReadBlock(P(1), FileSlots::kSlotSize);
  FileSlots& files = nav_.files();
  if (files.SetRecord(FileSlots::kScratch, record) != 0) return;
  const Handle serialized = files.Serialize(FileSlots::kScratch);
  if (!serialized) return;
  std::vector<uint8_t> bytes;
  {
    LockedHandle locked(handles_, serialized);
    if (locked) bytes.assign(locked.data(), locked.data() + locked.size());
  }
  handles_.Dispose(serialized);
  const uint32_t token = NewBlock(bytes);
  if (token && !StoreToken(P(2), token)) DisposeBlock(token);
}

void CallbackDispatch::ReferenceToSlotRecord() {
  const std::vector<uint8_t> bytes = ReadBlock(P(1), kReferenceLimit);
  FileReference reference;
  FileSlots& files = nav_.files();
  if (ParseFileReference(bytes, reference) < 0 ||
      files.SetPath(FileSlots::kScratch, reference.path) != 0)
    return;
  WriteBlock(P(2), 0, files.Raw(FileSlots::kScratch));
}

void CallbackDispatch::PlaySoundFile() {
  // The record's path is played from where it is; the sounds folder's slot stays as it is.
  const std::vector<uint8_t> record = ReadBlock(P(1), FileSlots::kSlotSize);
  if (record.size() < FileSlots::kSlotSize) return;
  const std::string path = CStringIn(std::span(record).subspan(kSlotPath, FileSlots::kPathSize));
  if (!path.empty()) host_.PlaySoundFile(path, static_cast<uint16_t>(P(2)));
}

void CallbackDispatch::PlayStackSound() {
  uint16_t id = static_cast<uint16_t>(P(1));
  if (P(1) == 0) {
    auto name = ParamString(3);
    const Handle sound = name ? stack_.resources().GetByName(restype::kSnd, *name) : 0;
    FourCC type = 0;
    if (!sound || stack_.resources().Info(sound, &type, &id, nullptr, nullptr) != 0) return;
  } else if (P(1) > 0xFFFF || !stack_.resources().Find(restype::kSnd, id)) {
    return;
  }
  host_.PlayStackSound(id, static_cast<uint16_t>(P(2)));
}

void CallbackDispatch::ReadTextFile() {
  Answer(1, 0);
  auto bytes =
      host_.ReadChosenTextFile(LoadLocalizedString(kChooseTextFilePrompt), kFieldTextLimit);
  if (bytes) Answer(1, NewBlock(*bytes));
}

void CallbackDispatch::WriteTextFile() {
  const auto h = HandleOf(P(1), Access::kRead);
  if (!h) return Answer(1, 0);
  const std::vector<uint8_t> bytes = ReadBlock(P(1), kFieldTextLimit);
  Answer(1, host_.WriteChosenTextFile(bytes) ? 1 : 0);
}

void CallbackDispatch::CardPicture() {
  const Handle card = P(1) ? CardOfToken(P(1)) : nav_.current_card();
  const bool shown = card && card == nav_.current_card() && nav_.view().current_card() == card;
  Answer(2, shown ? tokens_.Mint(TokenKind::kBitmap, kShownCardPicture) : 0);
}

void CallbackDispatch::LoadPicture() {
  const std::vector<uint8_t> bytes = ReadBlock(P(1), FileSlots::kPathSize);
  const std::string stored = CStringIn(bytes);
  const std::string found = stored.empty() ? "" : host_.ResolvePath(stored);
  Answer(3, 0);
  Answer(4, 0);
  if (found.empty()) return;
  auto known = std::find(pictures_.begin(), pictures_.end(), found);
  if (known == pictures_.end()) {
    if (pictures_.size() >= kPictureLimit) return;
    known = pictures_.insert(pictures_.end(), found);
  }
  const auto index = static_cast<uint32_t>(known - pictures_.begin());
  Answer(3, tokens_.Mint(TokenKind::kBitmap, kFirstLoadedPicture + index));
  Answer(4, 1);
}

void CallbackDispatch::ObjectShape() {
  const uint32_t how = P(5);
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (!r.obj) return;
  const Rect rect = ObjectRect(handles_, r.obj);
  switch (how) {
    case 0:
      Answer(1, AnswerBlock(122, AreaBytes(rect)));
      Answer(2, 16);
      break;
    case kInvert:
    case kInvertAgain:
      if (r.asked == nav_.current_card() && !nav_.view().screen_locked) host_.InvertArea(rect);
      break;
    case kNewRegion:
      Answer(1, NewBlock(AreaBytes(rect)));
      break;
    default:
      break;
  }
}

void CallbackDispatch::UpdateCardPicture() {
  if (!nav_.current_card() || nav_.view().screen_locked) return;
  const Size size = nav_.view().card_size();
  host_.RepaintArea({0, 0, size.width, size.height});
}

}  // namespace corvida
