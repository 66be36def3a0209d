// Stack files for tests, written in their stored (big-endian) form: a header with fields
// to vary, card records (native records converted with the save conversion, or raw
// bytes), and resource blocks with every header field under the test's control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/handles.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"
#include "tests/support/test_support.h"

namespace corvida::testing {

struct StoredResource {
  std::string type = "Icon";
  uint16_t id = 1;
  std::string name;
  std::vector<uint8_t> data;  // stored form
  uint32_t state = 0;
  uint8_t marker[2] = {0, 0};
  int64_t stored_length = -1;  // -1: data length rounded up to 4
};

struct StoredStack {
  uint16_t version = 5;
  uint16_t depth = 8;
  int16_t width = 320;
  int16_t height = 240;
  uint16_t flags = 0;
  uint16_t format = 0;
  uint16_t last_id = 1;
  int card_count = -1;             // -1: the number of cards
  int64_t resource_count = -1;     // -1: the number of resources
  std::vector<RecordBytes> cards;  // stored form
  std::vector<StoredResource> resources;

  // A native card converted to its stored form and added.
  void AddCard(RecordBytes native);
  std::vector<uint8_t> Bytes() const;
};

// A native button record with a name and the given action flags.
RecordBytes Button(uint16_t id, const std::string& name, uint16_t action_flags = 0);

// Records what the user would be asked and told: alert ids, file errors and forgotten
// files; answers alerts and questions with `answer` (button 1 by default).
struct HookLog {
  std::vector<int> alerts;
  std::vector<int> file_errors;
  std::vector<std::string> forgotten;
  int answer = 1;
  // Saves as the player does, logging the messages. The save's code.
  int Save(Stack& stack, const std::string& path, bool purge_unused = true);
  void Log(const std::vector<StackMessage>& messages);
  // Opens as the player does: each question is logged as its alert and answered, then the
  // stack is opened again; the messages of the last open are logged. The open's code.
  int Open(Stack& stack, const std::string& path, StackOpenOptions options = {});
};

std::string ToString(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ToBytes(const std::string& text);

}  // namespace corvida::testing
