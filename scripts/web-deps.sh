#!/usr/bin/env bash
# Builds the libraries the browser build links that Debian ships only for the machine
# itself (zlib, libpng, FreeType, FFmpeg's libraries) for WebAssembly, from Debian's own
# source packages.
# Each is installed into a cache folder outside the tree named after the package, its
# Debian version, the compiler's version and the build options, so a second build reuses it:
#   ${XDG_CACHE_HOME:-~/.cache}/corvida-web/<package>-<version>-em<version>-<options>/{include,lib}
# Prints the prefixes, separated by ';', as the last line (CMAKE_PREFIX_PATH).
set -euo pipefail
shopt -s inherit_errexit

cache="${XDG_CACHE_HOME:-$HOME/.cache}/corvida-web"
mkdir -p "$cache"
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
# sed reads the whole answer: `head` would close the pipe early and the compiler, killed
# by it, would fail the build now and then.
emver=$(emcc --version | sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p')
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# apt-get source needs a deb-src entry; one is added beside the system's own when there
# is none, for the same archive and suites.
ensure_sources() {
  if apt-cache showsrc zlib 2>/dev/null | grep -q '^Version:'; then return; fi
  local list=/etc/apt/sources.list.d/corvida-web-src.sources
  if [ ! -f "$list" ]; then
    local suite
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "Adding Debian's source packages for $suite ($list)" >&2
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$suite" "$suite" | $sudo tee "$list" >/dev/null
  fi
  $sudo apt-get update -qq
}

version_of() {
  apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -1
}

# Unpacks the source package into a scratch folder and prints the source tree.
fetch_source() {
  local pkg=$1 work=$2
  mkdir -p "$work"
  (cd "$work" && apt-get source -qq --only-source "$pkg" >&2)
  find "$work" -mindepth 1 -maxdepth 1 -type d | head -1
}

# giflib's makefile also makes its tools and a shared library: only the static library
# and its header are made and installed.
install_giflib() {
  local src=$1 prefix=$2
  (cd "$src" && nice emmake make -j "${JOBS:-2}" libgif.a CC=emcc AR=emar OFLAGS=-O2 >&2)
  install -D -m644 "$src/gif_lib.h" "$prefix/include/gif_lib.h"
  install -D -m644 "$src/libgif.a" "$prefix/lib/libgif.a"
}

# libjpeg-turbo: only the TurboJPEG library, which holds the libjpeg functions too (libtiff
# reads JPEG-packed pictures with them), without its programs; no SIMD in WebAssembly.
# CMake's type sizes are given (WebAssembly's): the checks it runs under Node.js through
# emcmake come back wrong.
install_libjpeg_turbo() {
  local src=$1 prefix=$2
  nice emcmake cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF -DWITH_ARITH_ENC=OFF \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 >&2
  nice cmake --build "$src/build" -j "${JOBS:-2}" --target turbojpeg-static >&2
  install -D -m644 "$src/build/libturbojpeg.a" "$prefix/lib/libturbojpeg.a"
  install -D -m644 -t "$prefix/include" "$src/turbojpeg.h" "$src/jpeglib.h" "$src/jmorecfg.h" \
    "$src/jerror.h" "$src/build/jconfig.h"
}

# build_one PACKAGE STYLE ARGS...: configures (STYLE cmake or configure) and installs
# into the cache; another STYLE names a function that makes and installs from the source.
build_one() {
  local pkg=$1 style=$2
  shift 2
  local version prefix work src
  version=$(version_of "$pkg")
  [ -n "$version" ] || { echo "web-deps: no source package $pkg" >&2; exit 1; }
  # The options (or the function that makes it) are part of the name: other options make
  # another build.
  local options="$*"
  [ "$style" = cmake ] || [ "$style" = configure ] || options=$(declare -f "$style")
  prefix="$cache/$pkg-${version//[:~]/_}-em$emver-$(echo "$options" | md5sum | cut -c1-8)"
  if [ -f "$prefix/.built" ]; then
    echo "$prefix"
    return
  fi
  echo "web-deps: building $pkg $version for WebAssembly" >&2
  local started=$SECONDS
  work=$(mktemp -d)
  src=$(fetch_source "$pkg" "$work")
  rm -rf "$prefix"
  if [ "$style" = configure ]; then
    (cd "$src" && nice emconfigure ./configure --prefix="$prefix" "$@" >&2 &&
      nice emmake make -j "${JOBS:-2}" install >&2)
  elif [ "$style" != cmake ]; then
    "$style" "$src" "$prefix"
  else
    nice emcmake cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >&2
    nice cmake --build "$work/build" -j "${JOBS:-2}" >&2
    cmake --install "$work/build" >&2
  fi
  touch "$prefix/.built"
  rm -rf "$work"
  echo "web-deps: built $pkg in $((SECONDS - started)) s" >&2
  echo "$prefix"
}

ensure_sources
zlib_prefix=$(build_one zlib configure --static)
zlib_args=(-DZLIB_INCLUDE_DIR="$zlib_prefix/include" -DZLIB_LIBRARY="$zlib_prefix/lib/libz.a")
png_prefix=$(build_one libpng1.6 cmake "${zlib_args[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF)
# FreeType reads compressed fonts through our zlib rather than a copy of its own.
ft_prefix=$(build_one freetype cmake "${zlib_args[@]}" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON)

# FFmpeg with only what the player opens: the containers and decoders movies are accepted
# with (platform/movie/demuxer.cpp), the packed sounds (platform/audio_decode.cpp), the
# scaler to RGBA and the resampler. No programs, no assembly, no threads, nothing found on
# the machine by itself; -Os tables (--enable-small) keep the module small.
ffmpeg_prefix=$(build_one ffmpeg configure --cc=emcc --cxx=em++ --ar=emar --ranlib=emranlib \
  --nm=emnm --enable-cross-compile --target-os=none --arch=x86_32 --disable-asm \
  --disable-inline-asm --disable-runtime-cpudetect --disable-autodetect --disable-iconv --disable-pthreads \
  --disable-programs --disable-doc --disable-debug --disable-stripping --disable-network \
  --disable-avdevice --disable-avfilter --disable-postproc --enable-small --disable-everything \
  --enable-demuxer=mov,avi,wav,aiff,au \
  --enable-decoder=cinepak,rpza,smc,qtrle,indeo3,msvideo1,svq1,svq3,mace3,mace6 \
  --enable-decoder=adpcm_ima_qt,adpcm_ima_wav,'pcm_*' --enable-swscale --enable-swresample)

# The picture libraries: GIF, JPEG, and TIFF with its Macintosh, LZW, fax, Deflate and JPEG
# packings (zlib and libjpeg-turbo from above); nothing else is looked for.
gif_prefix=$(build_one giflib install_giflib)
jpeg_prefix=$(build_one libjpeg-turbo install_libjpeg_turbo)
tiff_prefix=$(build_one tiff cmake "${zlib_args[@]}" -DJPEG_INCLUDE_DIR="$jpeg_prefix/include" \
  -DJPEG_LIBRARY="$jpeg_prefix/lib/libturbojpeg.a" -Dtiff-tools=OFF -Dtiff-tests=OFF \
  -DHAVE_SIZEOF_SIZE_T=TRUE -DSIZEOF_SIZE_T=4 -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
  -Dzlib=ON -Djpeg=ON -Dold-jpeg=ON -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
  -Dlibdeflate=OFF -Dtiff-opengl=OFF -Dsphinx=OFF)
echo "$zlib_prefix;$png_prefix;$ft_prefix;$ffmpeg_prefix;$gif_prefix;$jpeg_prefix;$tiff_prefix"
