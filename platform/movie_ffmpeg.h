// The media engine: the movie service over Debian's FFmpeg libraries. It accepts the
// containers QuickTime, AVI, WAV, AIFF and AU and the codecs of the movies stacks carry
// (Cinepak, Apple Video, Graphics, Animation, Indeo 3, Microsoft Video 1, Sorenson; MACE,
// IMA4 and PCM sound); nothing else is demuxed or decoded, nothing but the one file or
// memory block is read, and frames beyond the size limits are refused.
#pragma once

#include <memory>

#include "platform/movie.h"

namespace corvida {

std::unique_ptr<MovieService> CreateFfmpegMovieService();

}  // namespace corvida
