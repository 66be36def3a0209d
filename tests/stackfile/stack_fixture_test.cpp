// Helpers of stack_fixture.h (no tests of their own).
#include "stack_fixture.h"

#include <cstring>

namespace corvida::testing {

void StoredStack::AddCard(RecordBytes native) {
  ConvertCardRecord({native.data(), native.size()}, Direction::kSave);
  cards.push_back(std::move(native));
}

std::vector<uint8_t> StoredStack::Bytes() const {
  std::vector<uint8_t> out(128, 0);
  for (const RecordBytes& c : cards) out.insert(out.end(), c.begin(), c.end());
  uint32_t resource_offset = static_cast<uint32_t>(out.size());
  for (const StoredResource& r : resources) {
    uint32_t stored = r.stored_length >= 0 ? static_cast<uint32_t>(r.stored_length)
                                           : static_cast<uint32_t>((r.data.size() + 3) & ~3u);
    std::vector<uint8_t> h(68, 0);
    for (int i = 0; i < 4; ++i) h[i] = static_cast<uint8_t>(r.type[i]);
    PutBE16(&h[4], r.id);
    h[6] = r.marker[0];
    h[7] = r.marker[1];
    h[8] = static_cast<uint8_t>(r.name.size());
    std::memcpy(&h[9], r.name.data(), r.name.size());
    PutBE32(&h[40], r.state);
    PutBE32(&h[44], static_cast<uint32_t>(r.data.size()));
    PutBE32(&h[48], stored);
    out.insert(out.end(), h.begin(), h.end());
    // The data and its padding; a stored length beyond that is only claimed.
    out.insert(out.end(), r.data.begin(), r.data.end());
    size_t padded = (r.data.size() + 3) & ~size_t{3};
    if (stored >= r.data.size() && stored <= padded)
      out.resize(out.size() + stored - r.data.size(), 0);
  }
  uint8_t* p = out.data();
  PutBE16(p + header::kCardCount,
          static_cast<uint16_t>(card_count >= 0 ? card_count : static_cast<int>(cards.size())));
  PutBE16(p + header::kFormat, format);
  PutBE16(p + header::kVersion, version);
  PutBE16(p + header::kFlags, flags);
  PutBE16(p + header::kColorDepth, depth);
  PutBE16(p + header::kCardWidth, static_cast<uint16_t>(width));
  PutBE16(p + header::kCardHeight, static_cast<uint16_t>(height));
  PutBE32(p + header::kResourceOffset, resource_offset);
  PutBE32(p + header::kResourceCount,
          static_cast<uint32_t>(resource_count >= 0 ? resource_count
                                                    : static_cast<int64_t>(resources.size())));
  PutBE16(p + header::kLastResourceId, last_id);
  return out;
}

RecordBytes Button(uint16_t id, const std::string& name, uint16_t action_flags) {
  RecordBytes b = NewObject(object::kButton, id, {10, 20, 110, 60}, 0, kButtonRecordSize);
  PutCountedName(b.data() + button::kName, button::kNameField, name);
  Put16(b.data() + button::kActionFlags, action_flags);
  return b;
}

void HookLog::Log(const std::vector<StackMessage>& messages) {
  for (const StackMessage& m : messages) {
    auto& log = m.kind == StackMessage::Kind::kAlert ? alerts : file_errors;
    log.push_back(m.id);
  }
}

int HookLog::Save(Stack& stack, const std::string& path, bool purge_unused) {
  StackSaveResult result = stack.Save(path, purge_unused);
  Log(result.messages);
  return result.code;
}

int HookLog::Open(Stack& stack, const std::string& path, StackOpenOptions options) {
  StackOpenResult result = stack.Open(path, options);
  while (result.question != StackQuestion::kNone) {
    if (result.question == StackQuestion::kConvertSmallCard) {
      alerts.push_back(strid::kStackCardTooSmall);
      options.answers.convert_small_card = answer == 1;
    } else {
      alerts.push_back(strid::kDamagedResources);
      options.answers.keep_damaged_resources = answer == 1;
    }
    result = stack.Open(path, options);
  }
  Log(result.messages);
  if (result.discard_cached_copy) forgotten.push_back(path);
  return result.code;
}

std::string ToString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}
std::vector<uint8_t> ToBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace corvida::testing
