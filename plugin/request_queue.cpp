#include "plugin/request_queue.h"

#include <algorithm>
#include <cstring>

#include "platform/bytes.h"

namespace corvida::plugin {

namespace {

std::string RequestFieldText(std::span<const uint8_t> record, size_t offset, size_t size) {
  const auto field = record.subspan(offset, size);
  return std::string(field.begin(), std::find(field.begin(), field.end(), uint8_t(0)));
}

}  // namespace

std::span<uint8_t> RequestQueue::Record(int index) {
  return std::span<uint8_t>(records_).subspan(size_t(index) * url_request::kSize,
                                              url_request::kSize);
}

std::span<const uint8_t> RequestQueue::Record(int index) const {
  return std::span<const uint8_t>(records_).subspan(size_t(index) * url_request::kSize,
                                                    url_request::kSize);
}

bool RequestQueue::Append(const UrlRequest& request) {
  const RequestParameters& p = request.parameters;
  if (count_ >= kLimit || request.url.size() >= url_request::kUrlSize ||
      p.name.size() >= url_request::kNameSize)
    return false;
  const std::span<uint8_t> record = Record(count_);
  std::fill(record.begin(), record.end(), 0);
  std::memcpy(record.data() + url_request::kUrl, request.url.data(), request.url.size());
  WriteLE16(record, url_request::kKind, uint16_t(p.kind));
  WriteLE32(record, url_request::kObject, p.object);
  WriteLE16(record, url_request::kButtonId, p.button_id);
  WriteLE16(record, url_request::kBlock, p.block);
  WriteLE32(record, url_request::kButtonAction, p.button_action);
  WriteLE16(record, url_request::kSlot, request.slot);
  std::memcpy(record.data() + url_request::kName, p.name.data(), p.name.size());
  ++count_;
  return true;
}

UrlRequest RequestQueue::At(int index) const {
  UrlRequest request;
  if (index < 0 || index >= count_) return request;
  const std::span<const uint8_t> record = Record(index);
  request.url = RequestFieldText(record, url_request::kUrl, url_request::kUrlSize);
  request.slot = ReadLE16(record, url_request::kSlot);
  RequestParameters& p = request.parameters;
  p.kind = RequestKind(ReadLE16(record, url_request::kKind));
  p.object = ReadLE32(record, url_request::kObject);
  p.button_id = ReadLE16(record, url_request::kButtonId);
  p.block = ReadLE16(record, url_request::kBlock);
  p.button_action = ReadLE32(record, url_request::kButtonAction);
  p.name = RequestFieldText(record, url_request::kName, url_request::kNameSize);
  return request;
}

void RequestQueue::Pop() {
  if (count_ == 0) return;
  std::memmove(records_.data(), records_.data() + url_request::kSize,
               size_t(count_ - 1) * url_request::kSize);
  --count_;
  const std::span<uint8_t> freed = Record(count_);
  std::fill(freed.begin(), freed.end(), 0);
}

void RequestQueue::Clear() {
  records_.fill(0);
  count_ = 0;
}

}  // namespace corvida::plugin
