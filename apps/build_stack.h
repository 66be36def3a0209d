// Building a stack from a JSON description (`corvida build`): stack settings, cards with
// their buttons, fields and graphics, and resources. docs/build-format.md describes the
// format. Later additions (card pictures, PNG resources, styled text) add keys without
// reshaping it.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "stackfile/records_build.h"
#include "stackfile/stack.h"

namespace corvida::app {

// Fills a new stack from the description; `base_folder` is where resource files named
// in it are looked up. Returns "" on success, else a message naming what is wrong.
std::string BuildStack(const nlohmann::json& description, const std::string& base_folder,
                       Stack& stack, Handles& handles);

// A button record (also the data of an 'Actn' resource and the tail of an 'Hlnk').
// Throws std::runtime_error on a bad description.
RecordBytes BuildButton(const nlohmann::json& button);

// The stack header's 16-bit settings as the description names them, for building and
// for exporting a description again.
struct HeaderSettingKey {
  const char* key;
  size_t offset;
};
inline constexpr HeaderSettingKey kHeaderSettingKeys[] = {
    {"version", header::kVersion},
    {"flags", header::kFlags},
    {"autoSave", header::kAutoSave},
    {"advancedUser", header::kAdvancedUser},
    {"automaticTimers", header::kAutoTimers},
    {"locked", header::kLocked},
    {"cardNumberInTitle", header::kCardNumberInTitle},
    {"presentationMode", header::kPresentationMode},
    {"presentationWindow", header::kPresentationWindow},
    {"arriveAction", header::kArriveAction},
    {"leaveAction", header::kLeaveAction},
    {"clickAction", header::kClickAction},
    {"cursorId", header::kCursorId}};

// Helpers shared by the builders.
std::string WindowsText(const nlohmann::json& value);  // UTF-8 text in the Windows set
Rect RectOf(const nlohmann::json& value);              // [left, top, right, bottom]
// A number of the description by its key, or `fallback` when it has none.
uint16_t U16(const nlohmann::json& j, const char* key, int fallback = 0);
std::vector<uint8_t> HexBytes(const std::string& hex);
// A file reference as records hold it: the path, NUL, padding to even, six zero bytes,
// the file name and its NUL.
std::vector<uint8_t> FileReferenceBytes(const std::string& windows_path);

}  // namespace corvida::app
