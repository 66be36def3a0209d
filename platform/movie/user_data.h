// What a QuickTime movie says about itself in its user data ("moov" then "udta"): the
// controller type it names ('ctyp'). The library that demuxes movies does not hand this
// on, so the atoms are walked here, over the same bytes, within their stated sizes.
#pragma once

#include <cstdint>

#include "platform/movie/demuxer.h"

namespace corvida::movie {

// Atoms a walk looks at before it gives up: a damaged movie never makes it run long.
inline constexpr int kMaxAtomsWalked = 4096;

// The four characters of the movie's 'ctyp' (first character in the high byte), or 0
// when the bytes are no QuickTime movie or name no controller type.
uint32_t ControllerType(ByteSource& source);

}  // namespace corvida::movie
