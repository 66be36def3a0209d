// Pictures in stack descriptions: a card's "picture" (a PNG file made into its
// PictureBlock) and a graphic's "picture" (a PNG stored in the record as a PixPak block)
// and "mask" (a PNG whose dark pixels show the graphic).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "platform/gfx/bitmap.h"
#include "stackfile/records_build.h"

namespace corvida::app {

// Adds the pictures a card's description names to its native record. Throws
// std::runtime_error when a file cannot be read or made into a picture.
void AddPictures(RecordBytes& card, const nlohmann::json& description, const std::string& base,
                 Size card_size, int depth);

// A graphic mask from an image: dark pixels (below half brightness) are set. The mask
// picture as records hold it: width, height, two zero fields, then rows of
// ((width + 15) / 16) * 2 bytes, top row first.
RecordBytes MaskPictureFromImage(const gfx::Bitmap& image);

}  // namespace corvida::app
