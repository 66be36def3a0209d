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

// The numbered strings the program names, one id each. Stacks, scripts and extension
// modules also pass string numbers, so an id converts to the int the lookups take; ids
// are never computed from one another.
namespace strid {
enum Id : int {
  // Names of the actions a stack, card or object runs.
  kArriveAtCardAction = 2030,
  kLeaveCardAction = 2031,
  kClickOnCardAction = 2032,
  kArriveAtStackAction = 2033,
  kLeaveStackAction = 2034,
  kClickOnStackAction = 2035,
  // Alerts.
  kNoMatchFound = 2201,
  kStackTooNew = 2221,
  kStackTooOld = 2222,
  kCardNotFound = 2223,
  kNotEnoughMemory = 2224,
  kGenericError = 2235,
  kNoNbasInFile = 2241,
  kNoMarkedCard = 2242,
  kSoundFormatNotSupported = 2255,  // a sound file in an encoding we do not take
  kBlackAndWhiteStack = 2256,
  kDiskFull = 2264,
  kNotAStack = 2268,
  kMinimumWindowSize = 2295,
  kNoCardsRead = 2305,
  kStackCardTooSmall = 2334,
  kCardTooLarge = 2321,  // "I can't find enough memory to load your stack"
  kCannotLaunch = 2344,
  kSoundUnreadable = 2390,
  kSoundTooLarge = 2391,
  kSoundKindNotHandled = 2392,  // compressed in a way we do not take
  kDamagedResources = 2396,
  // Labels.
  kUntitled = 2502,
  kSoundLabel = 2518,
  kTextLabel = 2519,
  kPictLabel = 2520,
  kCardNumberLabel = 2521,
  // File errors whose alert has the error's own number.
  kIoError = 2680,
  kCannotAddResource = 2682,
  kNoRamForOperation = 2683,
  kDirectoryFull = 2684,
  kNameNotAllowed = 2686,
  kNoAccessToChange = 2693,
  // Transition names, in the order of the name table.
  kTransitionLeftToRight = 2750,
  kTransitionRightToLeft = 2751,
  kTransitionFastest = 2752,
  kTransitionBottomToTop = 2753,
  kTransitionTopToBottom = 2754,
  kTransitionFadeToBlack = 2755,
  kTransitionFadeToWhite = 2756,
  kTransitionBlocks = 2757,
  kTransitionDiagonalRight = 2758,
  kTransitionDiagonalLeft = 2759,
  kTransitionBlinds = 2760,
  kTransitionBars = 2761,
  kTransitionRain = 2762,
  kTransitionDissolve = 2763,
  kTransitionBarnOpen = 2764,
  kTransitionBarnClose = 2765,
  kTransitionIrisClose = 2766,
  kTransitionIrisOpen = 2767,
  kTransitionMouthClose = 2768,
  kTransitionMouthOpen = 2769,
  kTransitionDiamondDissolve = 2770,
  kTransitionBowTies = 2771,
  kTransitionRazorRight = 2772,
  kTransitionRazorLeft = 2773,
  kTransitionZoomOut = 2774,
  kTransitionZoomIn = 2775,
  kTransitionFadeToButtonColor = 2776,
  // The handle manager's own messages.
  kMemRefsFull = 4067,
  kErrorTitle = 4132,
  kOutOfRam = 4134,
  // The question asked before a stack launches a document or program ("%1" the
  // document, "%2" the program), and the words that stand in for a missing one.
  kConfirmLaunch = 5100,
  kLaunchNoDocument = 5101,
  kLaunchDesktopProgram = 5102,
  // The question before Save As replaces a file ("%1" its name).
  kConfirmReplace = 5103,
  // The question before an Extra is taken off the list.
  kConfirmDeleteExtra = 5104,
  // The question before the web page command opens the browser ("%1" the address).
  kConfirmWebPage = 5105,
  // Asked before a changed stack is closed or left for another ("%1" its file's name).
  kSaveChanges = 5106,
  // The print queue refused the cards or did not answer ("%1" the printer, "%2" why).
  kPrintFailed = 5107,
};
}  // namespace strid

// The string with that id, or nothing.
std::optional<std::string_view> FindString(int id);

// Copies the string into buffer (at most size - 1 characters and a NUL) and returns its
// length; a missing string leaves the empty string and returns 0.
size_t LoadLocalizedString(int id, char* buffer, size_t size);
// The string, or "" when missing.
std::string LoadLocalizedString(int id);

// The player's menu commands. The numbers are the window messages' command ids and the
// ones replay scripts name ("command 204"), so they never change.
enum class MenuCommand : int {
  kNewStack = 100,
  kOpenStack = 101,
  kSaveStack = 102,
  kSaveStackAs = 103,
  kExportScreen = 105,
  kPageSetup = 107,
  kPrint = 108,
  kSlideShow = 109,
  kExit = 110,
  kUndo = 150,
  kCut = 151,
  kCopy = 152,
  kPaste = 153,
  kClear = 154,
  kRunBox = 160,
  kBack = 200,
  kHome = 201,
  kFirstCard = 202,
  kPreviousCard = 203,
  kNextCard = 204,
  kLastCard = 205,
  kJumpToCard = 206,
  kFindText = 207,
  kZoom1 = 355,
  kZoom2 = 356,
  kZoom4 = 357,
  kZoom8 = 358,
  kFullScreen = 370,
  kAbout = 650,
  kPreferences = 651,
  kHelp = 652,
  kWebPage = 653,
};

struct MenuItem {
  MenuCommand command;
  const char* label;  // '&' marks the access key, '\t' the shortcut
  bool greyed;
};
// The items of the player menu "CV" in their order.
std::span<const MenuItem> PlayerMenuItems();

}  // namespace corvida
