// The "Please find ..." question: when a file a local stack names (another stack, a
// picture, a sound, a movie, a program or a document) is not where it should be, the user
// may point to it. What is asked depends on the kind of file; the answers are kept for
// the session in the player (Player::located_files), so each name is asked for once.
#pragma once

#include <string>
#include <string_view>

namespace corvida {

// The chooser's prompt and the extension of the files it lists ("" lists them all).
struct LocatorQuestion {
  std::string prompt;
  std::string extension;
};

// The question for a stored name (Windows or Macintosh form), by its extension.
LocatorQuestion LocatorQuestionFor(std::string_view stored);

// The key a stored name is remembered under: the name as stored, in lower case (the
// stored names come from a system that ignores letter case).
std::string LocatorKey(std::string_view stored);

}  // namespace corvida
