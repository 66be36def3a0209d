// Where the user guide's HTML page is: beside the program in a build folder, or under
// share/doc/corvida of the prefix the program was installed to.
#pragma once

#include <string>

namespace corvida {

inline constexpr const char* kUserGuideFile = "user-guide.html";

// The guide's host path; "" when it is in neither place.
std::string UserGuidePath();

}  // namespace corvida
