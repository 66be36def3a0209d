// The program's numbered strings: alert strings (size digit, icon digit, message, "~"
// labels), labels, action and transition names, plus the labels of the player menu.
// Text is in the Windows character set. There is no localization module, so every lookup
// is served from the built-in table.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvida {

// String ids the player refers to by name.
namespace strid {
inline constexpr int kArriveAtCardAction = 2030;  // ... 2035 "Click on stack action"
inline constexpr int kNoMatchFound = 2201;
inline constexpr int kCardNotFound = 2223;
inline constexpr int kNotEnoughMemory = 2224;
inline constexpr int kGenericError = 2235;
inline constexpr int kMinimumWindowSize = 2295;
inline constexpr int kStackCardTooSmall = 2334;
inline constexpr int kUntitled = 2502;
inline constexpr int kSoundLabel = 2518;
inline constexpr int kTextLabel = 2519;
inline constexpr int kPictLabel = 2520;
inline constexpr int kCardNumberLabel = 2521;
inline constexpr int kIoError = 2680;
inline constexpr int kNoAccessToChange = 2693;
inline constexpr int kFirstTransitionName = 2750;  // 27 names in lookup-table order
inline constexpr int kMemRefsFull = 4067;
inline constexpr int kErrorTitle = 4132;
inline constexpr int kOutOfRam = 4134;
// The question asked before a stack launches a document or program ("%1" the document,
// "%2" the program), and the words that stand in for a missing one.
inline constexpr int kConfirmLaunch = 5100;
inline constexpr int kLaunchNoDocument = 5101;
inline constexpr int kLaunchDesktopProgram = 5102;
inline constexpr int kConfirmReplace = 5103;
}  // namespace strid

// The string with that id, or nothing.
std::optional<std::string_view> FindString(int id);

// Copies the string into buffer (at most size - 1 characters and a NUL) and returns its
// length; a missing string leaves the empty string and returns 0.
size_t LoadLocalizedString(int id, char* buffer, size_t size);
// The string, or "" when missing.
std::string LoadLocalizedString(int id);

struct MenuItem {
  int command;
  const char* label;  // '&' marks the access key, '\t' the shortcut
  bool greyed;
};
// The items of the player menu "CV" in their order.
std::span<const MenuItem> PlayerMenuItems();

}  // namespace corvida
