// Browser builds without libtiff: such files are reported as a format the decoder does
// not read.
#include "platform/picture/formats.h"

namespace corvida::picture {

PictureStatus DecodeTiff(Bytes, DecodedPicture&) {
  return PictureStatus::kUnknownFormat;
}

}  // namespace corvida::picture
