// Browser builds without libjpeg-turbo: such files are reported as a format the decoder does
// not read.
#include "platform/picture/formats.h"

namespace corvida::picture {

PictureStatus DecodeJpeg(Bytes, DecodedPicture&) {
  return PictureStatus::kUnknownFormat;
}

}  // namespace corvida::picture
