#!/usr/bin/env bash
# Builds the libraries the browser build links that Debian ships only for the machine
# itself (zlib, libpng, FreeType) for WebAssembly, from Debian's own source packages.
# Each is installed into a cache folder outside the tree named after the package, its
# Debian version, the compiler's version and the build options, so a second build reuses it:
#   ${XDG_CACHE_HOME:-~/.cache}/corvida-web/<package>-<version>-em<version>-<options>/{include,lib}
# Prints the prefixes, separated by ';', as the last line (CMAKE_PREFIX_PATH).
set -euo pipefail
shopt -s inherit_errexit

cache="${XDG_CACHE_HOME:-$HOME/.cache}/corvida-web"
mkdir -p "$cache"
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
emver=$(emcc --version | head -1 | sed -n 's/.* \([0-9][0-9.]*\) .*/\1/p')
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

# build_one PACKAGE STYLE ARGS...: configures (STYLE cmake or configure) and installs
# into the cache.
build_one() {
  local pkg=$1 style=$2
  shift 2
  local version prefix work src
  version=$(version_of "$pkg")
  [ -n "$version" ] || { echo "web-deps: no source package $pkg" >&2; exit 1; }
  # The options are part of the name: other options make another build.
  prefix="$cache/$pkg-${version//[:~]/_}-em$emver-$(echo "$*" | md5sum | cut -c1-8)"
  if [ -f "$prefix/.built" ]; then
    echo "$prefix"
    return
  fi
  echo "web-deps: building $pkg $version for WebAssembly" >&2
  work=$(mktemp -d)
  src=$(fetch_source "$pkg" "$work")
  rm -rf "$prefix"
  if [ "$style" = configure ]; then
    (cd "$src" && nice emconfigure ./configure --prefix="$prefix" "$@" >&2 &&
      nice emmake make -j "${JOBS:-2}" install >&2)
  else
    nice emcmake cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >&2
    nice cmake --build "$work/build" -j "${JOBS:-2}" >&2
    cmake --install "$work/build" >&2
  fi
  touch "$prefix/.built"
  rm -rf "$work"
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
echo "$zlib_prefix;$png_prefix;$ft_prefix"
