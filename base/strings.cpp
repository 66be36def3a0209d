#include "base/strings.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace corvida {

namespace {

struct Entry {
  int id;
  const char* text;
};

// Sorted by id. Alert strings start with their size class and icon digits (icon 1 stop,
// 3 exclamation, 2 and 4 the mascot) and end with their "~" button labels.
constexpr Entry kStrings[] = {
    {2030, "Arrive at card action"},
    {2031, "Leave card action"},
    {2032, "Click on card action"},
    {2033, "Arrive at stack action"},
    {2034, "Leave stack action"},
    {2035, "Click on stack action"},
    {2201, "24No match found.~^OK"},
    {2221,
     "53This stack cannot be loaded by this version of Corvida.\n"
     "Please ask the publisher of Corvida for an update.~^OK"},
    {2222,
     "83Sorry, I can't open this stack because it was saved with an older version of "
     "Corvida.\nI should be able to open it if you load and save it with the latest "
     "Macintosh version.~^OK"},
    {2223, "24Sorry, I can't find that card.~^OK"},
    {2224, "43Not enough memory available to complete this operation.~^OK"},
    {2235, "34Sorry, some kind of error has occurred.~^OK"},
    {2241, "44Sorry, there are no NBAs in this file, try another.~^OK"},
    {2242, "44Sorry, I haven't seen any marked cards yet.~^OK"},
    {2255, "44Sorry, Corvida does not support this sound format.~^OK"},
    {2256,
     "83Sorry, this version of Corvida can't load black and white stacks.\n"
     "Please convert this stack to 256 colors with the Macintosh version and try again.~^OK"},
    {2264, "53Sorry, there isn't enough space left on this disk to save this file.~^OK"},
    {2268, "43I'm sorry, I can't load this file because it is not a stack.~^OK"},
    {2275,
     "54This movie doesn't contain any pictures.It probably has some sound in it, which will "
     "play when your button is clicked.~^OK"},
    {2295, "53Windows must be at least %d pixels wide and %d pixels high.~^OK"},
    {2305, "53Because of an error,\nI wasn't able to read any cards from this stack.~^OK"},
    {2308,
     "83I don't think I have enough memory to convert the stack the way you would like it. "
     "You might try increasing the amount of memory available to Corvida.~^OK"},
    {2321, "43I can't find enough memory to load your stack.~^OK"},
    {2334,
     "53The stack's card size must be at least %d wide and %d high. Do you want to convert "
     "it to the minimum size?~^Yes~No"},
    {2337, "43Sorry, there was a problem initializing the laser player.~^OK"},
    {2344, "43Sorry, I was not able to launch the requested application.~^OK"},
    {2355,
     "53You have changed the display mode, so Corvida may not behave correctly.  Please "
     "restart if things get too weird.~^OK"},
    {2357,
     "51Sorry, this version of Corvida requires QuickTime 3.0 to be installed on your "
     "computer.~^OK"},
    {2390,
     "53Sorry, Corvida cannot read this sound file or this sound file has an invalid "
     "format.~^OK"},
    {2391, "43Sorry, there is not enough memory to play this sound.~^OK"},
    {2392, "44Sorry, Corvida does not handle this type of sound.~^OK"},
    {2396,
     "53There was problem opening this stack, would you like me to try to fix it? (some "
     "sounds and icons may be lost)~^OK~Cancel"},
    {2408, "Please choose a text file"},
    {2502, "Untitled"},
    {2518, "Sound"},
    {2519, "Text"},
    {2520, "Pict"},
    {2521, " - Card "},
    {2680,
     "51Sorry, an I/O error has occurred, this could mean that there is a problem with your "
     "disk.~^OK"},
    {2681, "21Resource not found.~^OK"},
    {2682, "53Sorry, I was unable to add either a sound, icon, NBA or picture to this stack.~^OK"},
    {2683, "43Sorry, there is not enough memory (RAM) to complete this operation.~^OK"},
    {2684, "53Sorry, the directory on the disk is full, try saving in another folder or disk.~^OK"},
    {2685, "43Sorry, this disk is full, try saving on another disk.~^OK"},
    {2686, "44Sorry, the name you gave is not allowed, try another.~^OK"},
    {2687, "33Sorry, this disk is write protected.~^OK"},
    {2689, "43Sorry, changes could not be saved because the disk is locked.~^OK"},
    {2691, "43Sorry, you do not have access to this file.~^OK"},
    {2692, "33Sorry, this is not a Macintosh disk.~^OK"},
    {2693,
     "53Sorry, you do not have the access to make changes to this file, or the file is "
     "locked.~^OK"},
    {2750, "Left to right"},
    {2751, "Right to left"},
    {2752, "Fastest"},
    {2753, "Bottom to top"},
    {2754, "Top to bottom"},
    {2755, "Fade to black"},
    {2756, "Fade to white"},
    {2757, "Blocks"},
    {2758, "Diagonal right"},
    {2759, "Diagonal left"},
    {2760, "Blinds"},
    {2761, "Bars"},
    {2762, "Rain"},
    {2763, "Dissolve"},
    {2764, "Barn open"},
    {2765, "Barn close"},
    {2766, "Iris close"},
    {2767, "Iris open"},
    {2768, "Mouth close"},
    {2769, "Mouth open"},
    {2770, "Diamond dissolve"},
    {2771, "Bow ties"},
    {2772, "Razor right"},
    {2773, "Razor left"},
    {2774, "Zoom out"},
    {2775, "Zoom in"},
    {2776, "Fade to button color"},
    {4030, "43Sorry, I couldn't make the region of this card.~^OK"},
    {4033, "43Sorry, I couldn't combine the regions of this card.~^OK"},
    {4067, "Couldn't resize MemRefs"},
    {4132, "Corvida Error"},
    {4134, "Corvida has run out of RAM memory"},
    {5100,
     "53This stack asks to open \"%1\" with \"%2\". Open it only when you trust the "
     "stack.~Open~^Cancel"},
    {5101, "no document"},
    {5102, "the program your desktop chooses"},
    {5103, "54A file named \"%1\" already exists.\nDo you want to replace it?~^Cancel~Replace"},
    {5104, "24Are you sure you want to delete this Extra?~Delete~^Cancel"},
    {5105, "53Open the web page %1 in your browser?~Open~^Cancel"},
    {5106, "53Do you want to save the changes you made to \"%1\"?~^Save~Don't Save~Cancel"},
    {5107, "33The cards could not be printed on \"%1\": %2~^OK"},
};

constexpr bool SortedById() {
  for (size_t i = 1; i < std::size(kStrings); ++i) {
    if (kStrings[i - 1].id >= kStrings[i].id) return false;
  }
  return true;
}
static_assert(SortedById(), "the string table must be sorted by id, without duplicates");

constexpr MenuItem kPlayerMenu[] = {
    {MenuCommand::kNewStack, "&New Stack", true},
    {MenuCommand::kOpenStack, "&Open Stack...\tCtrl+O", false},
    {MenuCommand::kSaveStack, "&Save Stack\tCtrl+S", false},
    {MenuCommand::kSaveStackAs, "Save Stack &As...", false},
    {MenuCommand::kExportScreen, "&Export Screen...\tCtrl+E", false},
    {MenuCommand::kPageSetup, "Pa&ge Setup...", false},
    {MenuCommand::kPrint, "&Print...\tCtrl+P", false},
    {MenuCommand::kSlideShow, "S&lide Show...", false},
    {MenuCommand::kExit, "E&xit", false},
    {MenuCommand::kUndo, "&Undo\tCtrl+Z", false},
    {MenuCommand::kCut, "Cu&t\tCtrl+X", false},
    {MenuCommand::kCopy, "&Copy\tCtrl+C", false},
    {MenuCommand::kPaste, "&Paste\tCtrl+V", false},
    {MenuCommand::kClear, "C&lear", false},
    {MenuCommand::kRunBox, "Tarrow &Run Box\tCtrl+R", false},
    {MenuCommand::kBack, "&Back\tCtrl+~", false},
    {MenuCommand::kHome, "&Home\tCtrl+H", false},
    {MenuCommand::kFirstCard, "&First Card\tCtrl+1", false},
    {MenuCommand::kPreviousCard, "&Previous Card\tCtrl+<", false},
    {MenuCommand::kNextCard, "&Next Card\tCtrl+>", false},
    {MenuCommand::kLastCard, "&Last Card\tCtrl+9", false},
    {MenuCommand::kJumpToCard, "&Jump To Card...\tCtrl+J", false},
    {MenuCommand::kFindText, "Find &Text...\tCtrl+F", false},
    {MenuCommand::kAbout, "&About Corvida Player...", false},
    {MenuCommand::kPreferences, "Pre&ferences\tCtrl+;", false},
};

}  // namespace

std::optional<std::string_view> FindString(int id) {
  auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                             [](const Entry& e, int key) { return e.id < key; });
  if (it == std::end(kStrings) || it->id != id) return std::nullopt;
  return std::string_view(it->text);
}

size_t LoadLocalizedString(int id, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  auto text = FindString(id);
  if (!text) return 0;
  const size_t n = std::min(text->size(), size - 1);
  std::memcpy(buffer, text->data(), n);
  buffer[n] = '\0';
  return n;
}

std::string LoadLocalizedString(int id) {
  return std::string(FindString(id).value_or(""));
}

std::span<const MenuItem> PlayerMenuItems() {
  return kPlayerMenu;
}

}  // namespace corvida
