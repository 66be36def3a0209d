// Builds without giflib, libjpeg-turbo and libtiff (the browser build): files of these
// formats are reported as formats the decoder does not read.
#include "platform/picture/formats.h"

namespace corvida::picture {

PictureStatus DecodeGif(Bytes, DecodedPicture&) {
  return PictureStatus::kUnknownFormat;
}

PictureStatus DecodeJpeg(Bytes, DecodedPicture&) {
  return PictureStatus::kUnknownFormat;
}

PictureStatus DecodeTiff(Bytes, DecodedPicture&) {
  return PictureStatus::kUnknownFormat;
}

}  // namespace corvida::picture
