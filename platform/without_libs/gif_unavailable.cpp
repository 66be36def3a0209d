// Browser builds without giflib: such files are reported as a format the decoder does
// not read.
#include "platform/picture/formats.h"

namespace corvida::picture {

PictureStatus DecodeGif(Bytes, DecodedPicture&) {
  return PictureStatus::kUnknownFormat;
}

}  // namespace corvida::picture
