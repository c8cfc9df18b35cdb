#!/usr/bin/env bash
# Installs everything the build and the tests need. Idempotent: a second run
# installs nothing and rebuilds nothing. Called by ./test.sh, ./demo.sh and CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ clang
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  zlib1g-dev libjpeg62-turbo-dev libgtest-dev googletest nlohmann-json3-dev
  nasm dpkg-dev
  wine64 xvfb xauth xdotool x11-apps imagemagick
  libjpeg-turbo-progs icoutils openssl osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  if ! apt-get install -y -qq "${missing[@]}"; then
    # The security suite sometimes carries versions that conflict with the
    # plain release; fall back to the release suite alone.
    tmp=$(mktemp -d)
    sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -n1 > "$tmp/uri"
    printf 'Types: deb\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$(cat "$tmp/uri")" > "$tmp/plain.sources"
    apt-get -o Dir::Etc::SourceParts="$tmp" -o Dir::Etc::SourceList=/dev/null update -qq
    apt-get -o Dir::Etc::SourceParts="$tmp" -o Dir::Etc::SourceList=/dev/null install -y -qq "${missing[@]}"
    rm -rf "$tmp"
  fi
fi

# libjpeg-turbo for both MinGW targets, built once from Debian's source package
# and cached under build/deps/<triple>.
build_jpeg() {
  local triple=$1 prefix="$root/build/deps/$1"
  [[ -f "$prefix/lib/libjpeg.a" ]] && return 0
  local src="$root/build/deps/src"
  mkdir -p "$src"
  if ! ls -d "$src"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    local tmp; tmp=$(mktemp -d)
    local uri; uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -n1)
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$uri" > "$tmp/src.sources"
    mkdir -p "$tmp/lists/partial"
    local opts=(-o Dir::Etc::SourceParts="$tmp" -o Dir::Etc::SourceList=/dev/null -o Dir::State::Lists="$tmp/lists" -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq
    (cd "$src" && apt-get "${opts[@]}" source -qq libjpeg-turbo)
    rm -rf "$tmp"
  fi
  local dir; dir=$(ls -d "$src"/libjpeg-turbo-*/ | head -n1)
  local bdir="$root/build/deps/build-$triple"
  cmake -S "$dir" -B "$bdir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -Wno-dev >/dev/null
  cmake --build "$bdir" >/dev/null
  cmake --install "$bdir" >/dev/null
}
build_jpeg x86_64-w64-mingw32
build_jpeg i686-w64-mingw32
echo "setup: ready"
