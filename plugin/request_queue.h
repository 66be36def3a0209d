// The requests for files a stack asked for, in arrival order; the head is the one in
// flight. Up to 50 records of 532 bytes, held in their stored layout:
//   0   260  URL, NUL-terminated
//   260 2    kind: 1 re-run a button, 2 run an 'Actn' block by name, 3 load into an object
//   262 4    waiting object (kind 3)
//   266 2    button id (kind 1)
//   268 2    action reference of the 'Actn' block (kind 2)
//   270 4    action reference passed back with the button (kind 1)
//   274 2    target file slot
//   276 256  name passed with the block (kind 2), NUL-terminated
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvida::plugin {

namespace url_request {
inline constexpr size_t kUrl = 0, kUrlSize = 260;
inline constexpr size_t kKind = 260;
inline constexpr size_t kObject = 262;
inline constexpr size_t kButtonId = 266;
inline constexpr size_t kBlock = 268;
inline constexpr size_t kButtonAction = 270;
inline constexpr size_t kSlot = 274;
inline constexpr size_t kName = 276, kNameSize = 256;
inline constexpr size_t kSize = 532;
}  // namespace url_request

enum class RequestKind : uint16_t { kNone = 0, kButton = 1, kActionBlock = 2, kLoadObject = 3 };

// What a request carries besides its URL: set just before a step that may need a file.
struct RequestParameters {
  RequestKind kind = RequestKind::kNone;
  uint32_t object = 0;
  uint16_t button_id = 0;
  uint16_t block = 0;
  uint32_t button_action = 0;
  std::string name;
};

struct UrlRequest {
  std::string url;
  RequestParameters parameters;
  uint16_t slot = 1;
};

class RequestQueue {
 public:
  static constexpr int kLimit = 50;

  int count() const { return count_; }
  bool empty() const { return count_ == 0; }
  // False when the queue is full or the URL or name does not fit.
  bool Append(const UrlRequest& request);
  UrlRequest Head() const { return At(0); }
  UrlRequest At(int index) const;
  // Drops the head; the next request (if any) is then the one in flight.
  void Pop();
  void Clear();

 private:
  std::span<uint8_t> Record(int index);
  std::span<const uint8_t> Record(int index) const;

  std::array<uint8_t, kLimit * url_request::kSize> records_{};
  int count_ = 0;
};

}  // namespace corvida::plugin
