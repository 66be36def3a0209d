// The folders beside the player (and in the user's data folder) that stacks take their
// media from, each with the file slot it is given at start-up. Scripts and stored paths
// look for media in every one but "NBAs", which holds extension modules.
#pragma once

#include <array>
#include <string_view>

namespace corvida {

struct MediaFolder {
  int slot;
  std::string_view name;
  bool holds_extensions;
};

inline constexpr std::array<MediaFolder, 6> kMediaFolders = {{
    {2, "CVSounds", false},
    {4, "CVArt", false},
    {12, "NBAs", true},
    {14, "Movies", false},
    {17, "Extras", false},
    {18, "CVAnim", false},
}};

}  // namespace corvida
